// The scripted line used by the conversation tests.
#include "scripted_line.h"

#include <algorithm>
#include <cstring>

void ScriptedLine::Replies(std::initializer_list<std::string> replies) {
    for (const auto& r : replies)
        reads_.push_back({r, false});
}

bool ScriptedLine::WriteBytes(const char* data, std::size_t length, std::uint32_t& error) {
    const int index = static_cast<int>(writes.size());
    writes.emplace_back(data, length);
    if (index == failWrite_) {
        error = writeError_;
        return false;
    }
    return true;
}

bool ScriptedLine::ReadBytes(char* data, std::size_t capacity, std::size_t& received,
                             std::uint32_t& error) {
    ++reads;
    received = 0;
    if (reads_.empty()) {
        clockMs += current_.readTotal;
        return true;
    }
    ScriptedRead next = reads_.front();
    reads_.pop_front();
    if (next.fails) {
        error = 995;
        return false;
    }
    received = std::min(capacity, next.data.size());
    std::memcpy(data, next.data.data(), received);
    clockMs += received ? current_.readInterval : current_.readTotal;
    return true;
}

int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}
