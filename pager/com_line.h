// A ModemLine on a Windows serial port, tracing into the caller's window.
#pragma once

#include "common/unique_handle.h"
#include "pager/modem_line.h"
#include "pager/speed_table.h"

#include <windows.h>

namespace pager {

class ComLine final : public ModemLine {
  public:
    explicit ComLine(HWND traceWindow) : traceWindow_(traceWindow) {}

    void Trace(const char* text) override;
    bool WriteBytes(const char* data, std::size_t length, std::uint32_t& error) override;
    void Flush() override;
    bool ReadBytes(char* data, std::size_t capacity, std::size_t& received,
                   std::uint32_t& error) override;
    void SetTimeouts(const LineTimeouts& timeouts) override;
    void Pause(std::uint32_t milliseconds) override;

    // Opens COMn exclusively for synchronous I/O and sets the speed and the
    // character format of the page kind. On failure it traces the reason and
    // leaves the port closed.
    bool OpenModemPort(unsigned portNumber, long speedSelector, PageKind kind);
    void ClosePort() { port_.reset(); }

  private:
    HWND traceWindow_;
    postern::UniqueFile port_;
};

} // namespace pager
