// Serial port access for the paging transactions.
#include "pager/com_line.h"

#include "pager/trace_window.h"

namespace pager {

void ComLine::Trace(const char* text) { TraceText(traceWindow_, text); }

bool ComLine::WriteBytes(const char* data, std::size_t length, std::uint32_t& error) {
    DWORD written = 0;
    if (!WriteFile(port_.get(), data, static_cast<DWORD>(length), &written, nullptr)) {
        error = GetLastError();
        return false;
    }
    return true;
}

void ComLine::Flush() { FlushFileBuffers(port_.get()); }

bool ComLine::ReadBytes(char* data, std::size_t capacity, std::size_t& received,
                        std::uint32_t& error) {
    DWORD got = 0;
    if (!ReadFile(port_.get(), data, static_cast<DWORD>(capacity), &got, nullptr)) {
        error = GetLastError();
        received = 0;
        return false;
    }
    received = got;
    return true;
}

void ComLine::SetTimeouts(const LineTimeouts& timeouts) {
    COMMTIMEOUTS ct{};
    ct.ReadIntervalTimeout = timeouts.readInterval;
    ct.ReadTotalTimeoutConstant = timeouts.readTotal;
    ct.WriteTotalTimeoutConstant = timeouts.writeTotal;
    SetCommTimeouts(port_.get(), &ct);
}

void ComLine::Pause(std::uint32_t milliseconds) { Sleep(milliseconds); }

namespace {

// COM1 to COM9 by their plain names; higher numbers exist only in the device
// namespace, so they get the "\\.\" prefix.
void FormDeviceName(std::array<char, 32>& name, unsigned portNumber) {
    if (portNumber < 10)
        postern::FormatText(name, "COM%u", portNumber);
    else
        postern::FormatText(name, "\\\\.\\COM%u", portNumber);
}

void SetCharacterFormat(DCB& dcb, PageKind kind) {
    dcb.StopBits = ONESTOPBIT;
    if (kind == PageKind::Alphanumeric) {
        dcb.ByteSize = 7;
        dcb.Parity = EVENPARITY;
        dcb.fBinary = TRUE;
        dcb.fParity = TRUE;
    } else {
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
    }
}

} // namespace

bool ComLine::OpenModemPort(unsigned portNumber, long speedSelector, PageKind kind) {
    std::array<char, 32> device;
    FormDeviceName(device, portNumber);
    port_.reset(CreateFileA(device.data(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    if (!port_) {
        TraceFormat(*this, "open error %lu\r\n", GetLastError());
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port_.get(), &dcb)) {
        TraceFormat(*this, "get comm state error %lu\r\n", GetLastError());
        port_.reset();
        return false;
    }
    dcb.BaudRate = BitRateForSelector(speedSelector, kind);
    SetCharacterFormat(dcb, kind);
    if (!SetCommState(port_.get(), &dcb)) {
        // The alphanumeric text ends with a line feed alone.
        TraceFormat(*this,
                    kind == PageKind::Alphanumeric ? "set comm state error %lu\n"
                                                   : "set comm state error %lu\r\n",
                    GetLastError());
        port_.reset();
        return false;
    }
    return true;
}

} // namespace pager
