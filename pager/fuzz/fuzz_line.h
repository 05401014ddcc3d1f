// A ModemLine whose replies come from the fuzz input, recording every write,
// read, time-out change and pause so the fuzzer can check the conversation.
//
// Each read takes the next reply record from the input: a byte 0xFF is a read
// error; any other byte N is followed by N reply bytes, of which the read gets
// as many as it asked for (the rest is lost). Once the input ends every read
// times out empty. Writes numbered 0 to 31 fail when their bit is set in the
// failing-write mask.
//
// Time is virtual: a read that gets data costs the read interval in force, an
// empty or failed read the total read time-out, a pause its length; writes take
// no time.
#pragma once

#include "fuzz_input.h"

#include "pager/modem_line.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// One write or read, in the order the conversation made them.
struct LineEvent {
    enum class Kind { Write, Read } kind;
    // The bytes written, or the reply as the conversation sees it: the bytes
    // received up to the first zero byte.
    std::string text;
    bool ok;
    // The number of bytes a read asked for (0 for a write).
    std::size_t capacity;
};

class FuzzLine : public pager::ModemLine {
  public:
    // A read or write beyond maxReads or maxWrites fails the check at once, as
    // does a read asking for a capacity not in readCapacities.
    FuzzLine(FuzzInput& replies, std::uint32_t failingWrites, int maxReads, int maxWrites,
             std::initializer_list<std::size_t> readCapacities);

    void Trace(const char* text) override;
    bool WriteBytes(const char* data, std::size_t length, std::uint32_t& error) override;
    void Flush() override { ++flushes; }
    bool ReadBytes(char* data, std::size_t capacity, std::size_t& received,
                   std::uint32_t& error) override;
    void SetTimeouts(const pager::LineTimeouts& t) override;
    void Pause(std::uint32_t milliseconds) override;

    // Indexes into events of the writes, in order.
    std::vector<std::size_t> WriteIndexes() const;
    // The event after events[index], or null when there is none.
    const LineEvent* After(std::size_t index) const;

    std::vector<LineEvent> events;
    std::vector<pager::LineTimeouts> timeouts;
    std::vector<std::uint32_t> pauses;
    int reads = 0;
    int writes = 0;
    int flushes = 0;
    std::uint64_t clockMs = 0;

  private:
    FuzzInput& replies_;
    std::uint32_t failingWrites_;
    int maxReads_;
    int maxWrites_;
    std::vector<std::size_t> readCapacities_;
    pager::LineTimeouts current_{0, 0, 0};
};

bool SameTimeouts(const pager::LineTimeouts& a, const pager::LineTimeouts& b);

// One kind of write a conversation makes: its exact bytes and how many times in
// a row it may be sent.
struct WriteKind {
    const char* name;
    std::string text;
    int most;
};

// Gives every write of the line its kind (an index into kinds). Kinds must come
// in the listed order, each no more often than allowed; any other write fails
// the check.
std::vector<std::size_t> ClassifyWrites(const FuzzLine& line, const std::vector<WriteKind>& kinds);
