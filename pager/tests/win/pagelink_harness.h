// What the Wine-run pager tests share: the library loaded as suite programs load
// it, an edit control for the trace, and the modem simulator's record and log.
#pragma once

#include "pager/pagelink.h"

#include <windows.h>

#include <string>
#include <vector>

// pagelink.dll from the test program's folder, loaded once per process.
HMODULE PagelinkModule();
SendAlphaMessageFn SendAlpha();
SendBeeperMessageFn SendBeeper();
CreateSendAlphaMessageFn CreateSendAlpha();

// A hidden multi-line edit control that collects a trace; destroyed with the object.
class TraceEdit {
  public:
    TraceEdit();
    ~TraceEdit();
    TraceEdit(const TraceEdit&) = delete;
    TraceEdit& operator=(const TraceEdit&) = delete;
    HWND hwnd() const { return hwnd_; }
    std::string Text() const;

  private:
    HWND hwnd_;
};

// A trace window that notes when each line arrived (milliseconds since it was
// created), answering the three messages the library sends to an edit control.
class TimedTrace {
  public:
    struct Line {
        DWORD atMs;
        std::string text;
    };
    TimedTrace();
    ~TimedTrace();
    TimedTrace(const TimedTrace&) = delete;
    TimedTrace& operator=(const TimedTrace&) = delete;
    HWND hwnd() const { return hwnd_; }
    const std::vector<Line>& Lines() const { return lines_; }
    std::string Text() const;
    // Time of the first line that contains text; -1 when there is none.
    long AtMs(const std::string& text) const;

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_;
    DWORD start_;
    std::vector<Line> lines_;
};

// Lines of the simulator's page record (empty when the test runs without one).
std::vector<std::string> SimRecord();
// The simulator's byte log so far.
std::string SimLog();
// True when the simulator is attached to COM1 for this test.
bool HaveModemSim();

int CountOf(const std::string& text, const std::string& what);
// The number of handles the process holds (to show that a call closed its port).
DWORD HandleCount();
