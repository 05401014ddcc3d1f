// The fuzzers' modem line; see fuzz_line.h.
#include "fuzz_line.h"

#include "pager/trace_expand.h"

#include <algorithm>
#include <cstring>

FuzzLine::FuzzLine(FuzzInput& replies, std::uint32_t failingWrites, int maxReads, int maxWrites,
                   std::initializer_list<std::size_t> readCapacities)
    : replies_(replies), failingWrites_(failingWrites), maxReads_(maxReads), maxWrites_(maxWrites),
      readCapacities_(readCapacities) {}

void FuzzLine::Trace(const char* text) {
    FUZZ_CHECK(text != nullptr, "a null trace text");
    // What the trace window does with every line: it must fit and end terminated.
    pager::TraceLine shown;
    const std::size_t length = pager::ExpandTraceText(text, shown);
    FUZZ_CHECK(length < shown.size() && shown[length] == '\0' &&
                   std::strlen(shown.data()) == length,
               "expanded trace line not terminated at its length: " + Shown(text));
}

bool FuzzLine::WriteBytes(const char* data, std::size_t length, std::uint32_t& error) {
    const int index = writes++;
    FUZZ_CHECK(writes <= maxWrites_, "more than " + std::to_string(maxWrites_) + " writes");
    FUZZ_CHECK(data != nullptr && length > 0, "an empty write, number " + std::to_string(index));
    const std::string bytes(data, length);
    FUZZ_CHECK(bytes.find('\0') == std::string::npos,
               "a zero byte inside write " + std::to_string(index) + ": " + Shown(bytes));
    const bool fails = index < 32 && (failingWrites_ >> index & 1u) != 0;
    events.push_back({LineEvent::Kind::Write, bytes, !fails, 0});
    if (fails) {
        error = 121;
        return false;
    }
    return true;
}

bool FuzzLine::ReadBytes(char* data, std::size_t capacity, std::size_t& received,
                         std::uint32_t& error) {
    ++reads;
    FUZZ_CHECK(reads <= maxReads_, "more than " + std::to_string(maxReads_) + " reads");
    FUZZ_CHECK(std::find(readCapacities_.begin(), readCapacities_.end(), capacity) !=
                   readCapacities_.end(),
               "a read of " + std::to_string(capacity) + " bytes");
    received = 0;
    if (replies_.AtEnd()) {
        clockMs += current_.readTotal;
        events.push_back({LineEvent::Kind::Read, "", true, capacity});
        return true;
    }
    const std::uint8_t length = replies_.Byte();
    if (length == 0xFF) {
        clockMs += current_.readTotal;
        events.push_back({LineEvent::Kind::Read, "", false, capacity});
        error = 995;
        return false;
    }
    std::string reply = replies_.Bytes(length);
    reply.resize(std::min(reply.size(), capacity));
    std::memcpy(data, reply.data(), reply.size());
    received = reply.size();
    clockMs += received ? current_.readInterval : current_.readTotal;
    events.push_back({LineEvent::Kind::Read, reply.substr(0, reply.find('\0')), true, capacity});
    return true;
}

void FuzzLine::SetTimeouts(const pager::LineTimeouts& t) {
    timeouts.push_back(t);
    current_ = t;
}

void FuzzLine::Pause(std::uint32_t milliseconds) {
    pauses.push_back(milliseconds);
    clockMs += milliseconds;
}

std::vector<std::size_t> FuzzLine::WriteIndexes() const {
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == LineEvent::Kind::Write)
            indexes.push_back(i);
    }
    return indexes;
}

const LineEvent* FuzzLine::After(std::size_t index) const {
    return index + 1 < events.size() ? &events[index + 1] : nullptr;
}

bool SameTimeouts(const pager::LineTimeouts& a, const pager::LineTimeouts& b) {
    return a.readInterval == b.readInterval && a.readTotal == b.readTotal &&
           a.writeTotal == b.writeTotal;
}

std::vector<std::size_t> ClassifyWrites(const FuzzLine& line, const std::vector<WriteKind>& kinds) {
    std::vector<std::size_t> classified;
    std::size_t current = 0;
    int inARow = 0;
    for (std::size_t event : line.WriteIndexes()) {
        const std::string& text = line.events[event].text;
        std::size_t k = current;
        while (k < kinds.size() &&
               (kinds[k].text != text || (k == current && inARow >= kinds[k].most)))
            ++k;
        std::string after =
            classified.empty() ? "first write" : "after " + std::string(kinds[current].name);
        FUZZ_CHECK(k < kinds.size(), "unexpected write " + std::to_string(classified.size()) +
                                         " (" + after + "): \"" + Shown(text) + "\"");
        inARow = k == current ? inARow + 1 : 1;
        current = k;
        classified.push_back(k);
    }
    return classified;
}
