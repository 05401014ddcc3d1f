// The run log: one time-stamped line per change and dialog outcome, failure
// notes, and the last line that says how the run ended.
#include <windows.h>

#include <array>
#include <cstdarg>

#include "common/unique_handle.h"
#include "toolkit_core.h"

namespace stf {

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
postern::UniqueFile g_log;
std::array<char, 512> g_cause{}; // last failure or message box text
bool g_failurePending = false;   // the latest logged event was a failure
bool g_outcomeFrozen = false;    // the run is ending: later lines keep the outcome
bool g_fatalShown = false;
bool g_quitConfirmed = false;
std::array<char, 512> g_quitReason{};
bool g_dialogAnswered = false; // some dialog reported an outcome this run
unsigned g_warnings = 0;       // "warning:" lines written this run

// Writes one line (time stamp added); the caller holds the lock.
void WriteLine(const char* text) {
    if (!g_log)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    // Room is kept for the line break so that a cut line still ends.
    std::array<char, 2104> line{};
    postern::FormatText(std::span<char>(line).first(2100), "%02u:%02u:%02u %s", now.wHour,
                        now.wMinute, now.wSecond, text);
    postern::AppendText(line, "\r\n");
    DWORD written = 0;
    WriteFile(g_log.get(), line.data(), static_cast<DWORD>(postern::BoundedLength(line)), &written,
              nullptr);
}

struct LockGuard {
    LockGuard() { AcquireSRWLockExclusive(&g_lock); }
    ~LockGuard() { ReleaseSRWLockExclusive(&g_lock); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
};

void ResetOutcome() {
    g_cause[0] = '\0';
    g_failurePending = false;
    g_outcomeFrozen = false;
    g_fatalShown = false;
    g_quitConfirmed = false;
    g_quitReason[0] = '\0';
    g_dialogAnswered = false;
    g_warnings = 0;
}

// How an unattended run's process ends, for the scripts that start it: 0
// completed, 1 quit, 2 fatal stop, 3 stopped before the first dialog, 4
// completed with warnings. A run that showed the fatal dialog is a 2, one that
// never answered a dialog a 3 whatever its cause.
int ExitStatusLocked() {
    if (g_fatalShown)
        return ExitFatalStop;
    if (!g_dialogAnswered)
        return ExitNotStarted;
    if (g_failurePending)
        return ExitFatalStop;
    if (g_quitConfirmed)
        return ExitQuit;
    return g_warnings > 0 ? ExitCompletedWithWarnings : ExitCompleted;
}

void EndLocked(const char* text) {
    std::array<char, 600> line{};
    postern::FormatText(line, "end: %s", text);
    WriteLine(line.data());
    g_log.reset();
    ResetOutcome();
}

} // namespace

void LogLine(const char* format, ...) {
    std::array<char, 2048> text{};
    va_list args;
    va_start(args, format);
    postern::FormatTextV(text, format, args);
    va_end(args);
    LockGuard guard;
    WriteLine(text.data());
    if (!g_outcomeFrozen)
        g_failurePending = false;
}

void LogWarning(const char* text) {
    std::array<char, 2048> line{};
    postern::FormatText(line, "warning: %s", text);
    LockGuard guard;
    WriteLine(line.data());
    ++g_warnings;
}

void FreezeRunOutcome() {
    LockGuard guard;
    g_outcomeFrozen = true;
}

void NoteFailure(const char* format, ...) {
    std::array<char, 2048> text{};
    postern::CopyText(text, "failed: ");
    va_list args;
    va_start(args, format);
    postern::FormatTextV(std::span<char>(text).subspan(8), format, args);
    va_end(args);
    LockGuard guard;
    WriteLine(text.data());
    postern::CopyText(g_cause, text.data() + 8);
    g_failurePending = true;
}

bool OpenRunLog(const char* path) {
    LockGuard guard;
    g_log.reset(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ResetOutcome();
    return g_log.valid();
}

bool RunLogOpen() {
    LockGuard guard;
    return g_log.valid();
}

void NoteMessageBoxCause(const char* text, bool failure) {
    LockGuard guard;
    postern::CopyText(g_cause, text);
    if (failure)
        g_failurePending = true;
}

void NoteFatalDialog() {
    LockGuard guard;
    g_fatalShown = true;
}

void NoteDialogAnswered() {
    LockGuard guard;
    g_dialogAnswered = true;
}

void NoteQuitConfirmed(const char* reason) {
    LockGuard guard;
    g_quitConfirmed = true;
    postern::CopyText(g_quitReason, reason);
}

int FinishRunLog() {
    LockGuard guard;
    const int status = ExitStatusLocked();
    std::array<char, 600> end{};
    if (g_fatalShown || g_failurePending)
        postern::FormatText(end, "fatal stop (%s)", g_cause[0] ? g_cause.data() : "no cause noted");
    else if (g_quitConfirmed)
        postern::FormatText(end, "quit (%s)", g_quitReason.data());
    else if (!g_dialogAnswered)
        // The program ended the toolkit before asking anything: nothing was
        // done, and only the program knows why.
        postern::CopyText(end, "stopped before the first dialog");
    else
        postern::CopyText(end, "completed");
    EndLocked(end.data());
    return status;
}

void EndRunLog(const char* text) {
    LockGuard guard;
    EndLocked(text);
}

} // namespace stf
