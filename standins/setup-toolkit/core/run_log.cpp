// The run log: one time-stamped line per change and dialog outcome, failure
// notes, and the last line that says how the run ended.
#include <windows.h>

#include <array>
#include <cstdarg>

#include "run_state.h"
#include "toolkit_core.h"

namespace stf {

namespace {

// Writes one line (time stamp added); the caller holds the lock.
void WriteLine(const char* text) {
    if (!g_run.log.file)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    // Room is kept for the line break so that a cut line still ends.
    std::array<char, 2104> line{};
    postern::FormatText(std::span<char>(line).first(2100), "%02u:%02u:%02u %s", now.wHour,
                        now.wMinute, now.wSecond, text);
    postern::AppendText(line, "\r\n");
    DWORD written = 0;
    WriteFile(g_run.log.file.get(), line.data(), static_cast<DWORD>(postern::BoundedLength(line)),
              &written, nullptr);
}

// How an unattended run's process ends, for the scripts that start it: 0
// completed, 1 quit, 2 fatal stop, 3 stopped before the first dialog, 4
// completed with warnings. A run that showed the fatal dialog is a 2, one that
// never answered a dialog a 3 whatever its cause.
int ExitStatusLocked() {
    if (g_run.log.fatalShown)
        return kExitFatalStop;
    if (!g_run.log.dialogAnswered)
        return kExitNotStarted;
    if (g_run.log.failurePending)
        return kExitFatalStop;
    if (g_run.log.quitConfirmed)
        return kExitQuit;
    return g_run.log.warnings > 0 ? kExitCompletedWithWarnings : kExitCompleted;
}

void EndLocked(const char* text) {
    std::array<char, 600> line{};
    postern::FormatText(line, "end: %s", text);
    WriteLine(line.data());
    g_run.log = LogState{}; // closed, and its outcome forgotten
}

} // namespace

void LogLine(const char* format, ...) {
    std::array<char, 2048> text{};
    va_list args;
    va_start(args, format);
    postern::FormatTextV(text, format, args);
    va_end(args);
    const ExclusiveLock guard(g_logLock);
    WriteLine(text.data());
    if (!g_run.log.outcomeFrozen)
        g_run.log.failurePending = false;
}

void LogWarning(const char* text) {
    std::array<char, 2048> line{};
    postern::FormatText(line, "warning: %s", text);
    const ExclusiveLock guard(g_logLock);
    WriteLine(line.data());
    ++g_run.log.warnings;
}

void FreezeRunOutcome() {
    const ExclusiveLock guard(g_logLock);
    g_run.log.outcomeFrozen = true;
}

void NoteFailure(const char* format, ...) {
    std::array<char, 2048> text{};
    postern::CopyText(text, "failed: ");
    va_list args;
    va_start(args, format);
    postern::FormatTextV(std::span<char>(text).subspan(8), format, args);
    va_end(args);
    const ExclusiveLock guard(g_logLock);
    WriteLine(text.data());
    postern::CopyText(g_run.log.cause, text.data() + 8);
    g_run.log.failurePending = true;
}

bool OpenRunLog(const char* path) {
    const ExclusiveLock guard(g_logLock);
    // Failures noted while no log was open belong to no run.
    g_run.log = LogState{};
    g_run.log.file.reset(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return g_run.log.file.valid();
}

bool RunLogOpen() {
    const ExclusiveLock guard(g_logLock);
    return g_run.log.file.valid();
}

void NoteMessageBoxCause(const char* text, bool failure) {
    const ExclusiveLock guard(g_logLock);
    postern::CopyText(g_run.log.cause, text);
    if (failure)
        g_run.log.failurePending = true;
}

void NoteFatalDialog() {
    const ExclusiveLock guard(g_logLock);
    g_run.log.fatalShown = true;
}

void NoteDialogAnswered() {
    const ExclusiveLock guard(g_logLock);
    g_run.log.dialogAnswered = true;
}

void NoteQuitConfirmed(const char* reason) {
    const ExclusiveLock guard(g_logLock);
    g_run.log.quitConfirmed = true;
    postern::CopyText(g_run.log.quitReason, reason);
}

int FinishRunLog() {
    const ExclusiveLock guard(g_logLock);
    const int status = ExitStatusLocked();
    std::array<char, 600> end{};
    if (g_run.log.fatalShown || g_run.log.failurePending)
        postern::FormatText(end, "fatal stop (%s)",
                            g_run.log.cause[0] ? g_run.log.cause.data() : "no cause noted");
    else if (g_run.log.quitConfirmed)
        postern::FormatText(end, "quit (%s)", g_run.log.quitReason.data());
    else if (!g_run.log.dialogAnswered)
        // The program ended the toolkit before asking anything: nothing was
        // done, and only the program knows why.
        postern::CopyText(end, "stopped before the first dialog");
    else
        postern::CopyText(end, "completed");
    EndLocked(end.data());
    return status;
}

void EndRunLog(const char* text) {
    const ExclusiveLock guard(g_logLock);
    EndLocked(text);
}

} // namespace stf
