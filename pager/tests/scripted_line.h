// A ModemLine that plays a script of replies and records what the conversation
// did: the bytes written, the trace text, the time-outs set and the time spent.
// Time is virtual: a read that gets data costs the read interval (the gap that
// ends it), an empty read costs the total time-out, a pause its length.
#pragma once

#include "pager/modem_line.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct ScriptedRead {
    std::string data;
    bool fails = false;
};

class ScriptedLine : public pager::ModemLine {
  public:
    // Replies, in order, to the reads the conversation makes; once they run out
    // every read times out empty.
    void Replies(std::initializer_list<std::string> replies);
    void FailingRead() { reads_.push_back({"", true}); }
    // Writes numbered from 0; the one with this index fails with the error.
    void FailWrite(int index, std::uint32_t error) { failWrite_ = index, writeError_ = error; }

    void Trace(const char* text) override { trace += text; }
    bool WriteBytes(const char* data, std::size_t length, std::uint32_t& error) override;
    void Flush() override { ++flushes; }
    bool ReadBytes(char* data, std::size_t capacity, std::size_t& received,
                   std::uint32_t& error) override;
    void SetTimeouts(const pager::LineTimeouts& t) override {
        timeouts.push_back(t);
        current_ = t;
    }
    void Pause(std::uint32_t ms) override {
        pauses.push_back(ms);
        clockMs += ms;
        if (onPause)
            onPause();
    }

    std::vector<std::string> writes;
    std::string trace;
    std::vector<pager::LineTimeouts> timeouts;
    std::vector<std::uint32_t> pauses;
    int reads = 0;
    int flushes = 0;
    std::uint64_t clockMs = 0;
    std::function<void()> onPause;

  private:
    std::deque<ScriptedRead> reads_;
    pager::LineTimeouts current_{0, 0, 0};
    int failWrite_ = -1;
    std::uint32_t writeError_ = 0;
};

// Counts the non-overlapping occurrences of what in text.
int CountOf(const std::string& text, const std::string& what);
