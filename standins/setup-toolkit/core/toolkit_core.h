// What the files of MSSHLSTF.dll share among themselves: the run log and the
// run's outcome, symbols, the frame, dialogs and dialog libraries, unattended
// answers, message boxes, the record of the answers given, the installer's
// add-user wizard, and billboards. The run's state itself is in run_state.h.
#pragma once

#include <windows.h>

#include <string>

#include "answer_file.h"
#include "common/bounded_format.h"

namespace stf {

// ---- run log and the run's outcome (run_log.cpp) ----
// Appends one time-stamped line to the run log (a no-op before the log opens).
void LogLine(const char* format, ...) POSTERN_PRINTF(1, 2);
// A toolkit call failed: logs "failed: <text>" and keeps the text as the cause
// that the last line names if the run then ends in the fatal stop.
void NoteFailure(const char* format, ...) POSTERN_PRINTF(1, 2);
bool OpenRunLog(const char* path); // appends; false (and nothing logged) when it cannot open
bool RunLogOpen();
// A message box was answered: its text becomes the cause a fatal stop names;
// `failure` (error icon) also makes a TerminateFrame right after a fatal stop.
void NoteMessageBoxCause(const char* text, bool failure);
void NoteFatalDialog();    // the fatal dialog was shown
void NoteDialogAnswered(); // a dialog reported its outcome
// The run is ending (TerminateFrame): what is logged from now on does not
// change how the last line says the run ended.
void FreezeRunOutcome();
void NoteQuitConfirmed(const char* reason); // the quit confirmation was answered EXIT
// Writes "warning: <text>" (a warning of the program's, or a [Users] entry
// not added); an unattended run that completes after one ends with status 4.
void LogWarning(const char* text);
// Exit statuses of an unattended run.
constexpr int kExitCompleted = 0;
constexpr int kExitQuit = 1;
constexpr int kExitFatalStop = 2;
constexpr int kExitNotStarted = 3; // the frame did not start, or no dialog was shown
constexpr int kExitCompletedWithWarnings = 4;
// Writes the last line ("end: ...") from what happened and closes the log;
// returns the exit status that the run's outcome gives.
int FinishRunLog();
// Writes "end: <text>" and closes the log (start-up failures, process end).
void EndRunLog(const char* text);

// ---- symbols (symbols.cpp) ----
// Sets a symbol without a log line (the toolkit's own and dialog-written ones).
bool SetSymbolQuietly(const char* name, const char* value);
std::string SymbolText(const char* name);
// Serial number of the latest symbol change; SymbolSetSince tells whether name
// changed after `mark` was taken.
unsigned long SymbolMark();
bool SymbolSetSince(const char* name, unsigned long mark);

// ---- frame (frame.cpp, dll_main.cpp) ----
HWND FrameWindow();          // null before InitializeFrame and after TerminateFrame
HINSTANCE ToolkitInstance(); // MSSHLSTF.dll itself (its own resources)
bool FrameStarted();
bool Unattended(); // an answer file drives the run

// ---- dialogs and dialog libraries (dialogs.cpp) ----
// Loads a dialog library by name (kept loaded until the run ends); null and a
// failure note when it does not load.
HMODULE DialogLibrary(const char* name);
// An exported dialog procedure of a loaded library; null and a failure note
// when it is missing.
DLGPROC DialogProcedure(HMODULE library, const char* name);
// The innermost dialog that waits for its event (the frame's close box ends it).
HWND WaitingDialog();
// Closes every dialog (TerminateFrame); the libraries stay loaded until the
// run's state ends.
void CloseAllDialogs();
// The STFANSWER resource of a dialog, read and parsed once per showing.
struct DialogAnswerRule {
    bool present = false; // the dialog has an STFANSWER resource
    bool valid = false;   // and its text parsed into rule
    AnswerRule rule;
    std::string error; // why the text did not parse
};
DialogAnswerRule DialogAnswerRuleOf(HMODULE library, UINT number);

// ---- unattended answers (unattended.cpp) ----
// Reads the answer file and checks that a dialog takes each of its entries;
// false with the reason (naming the line) when it cannot be used.
bool LoadAnswers(const char* path, std::string& error);
const AnswerFile& Answers();
// Starts/stops the thread hook that answers message boxes and the installer's
// own dialogs on the calling thread (in unattended runs) and shows the
// wizard's dialogs to the record.
bool StartAnswerHook();
void StopAnswerHook();
// Starts/stops the hooks that see the commands the installer's dialogs get
// (sent and posted), for the record.
bool StartObserverHooks();
void StopObserverHooks();

struct DialogAnswer {
    const char* event = "CONTINUE";
    std::string note; // " (answer Key=value)" or " (default)"
};
// Answers dialog `number` (procedure `procedure`, STFANSWER `answer`) from the
// answer file: sets ButtonChecked / EditTextOut and picks the event.
DialogAnswer AnswerDialog(UINT number, const char* procedure, const DialogAnswerRule& answer);
bool Quitting();
const char* QuitReason();

// ---- message boxes (message_box.cpp) ----
const char* ButtonName(int id);
// Logs `message box "<caption>": <text> -> <button>` and notes the cause.
void LogMessageBox(const char* caption, const char* text, int button, bool failure);
// The button a message box of `type` has as its default.
int DefaultButton(UINT type);

// ---- record of the answers given (answer_record.cpp) ----
bool StartRecord(const char* path);
bool Recording();
// A dialog was answered Continue: remembers the answer its STFANSWER names.
void RecordAnswer(const AnswerRule& rule);
// The add-user wizard added a user: a [Users] entry "id=full name,password".
void RecordUser(const std::string& userId, const std::string& fullName,
                const std::string& password);

// ---- the installer's add-user wizard (wizard_answers.cpp) ----
// Answers a dialog of the wizard from the [Users] entries; false when the
// window is none of its dialogs.
bool AnswerWizardDialog(HWND window);
// A message box was answered: while an entry is entered, it refuses the entry.
void NoteMessageBoxForEntry(const char* text);
// The run ends: every [Users] entry that the wizard did not take is a warning.
void WarnEntriesNotTaken();

// ---- what an operator adds through the wizard, for /record (wizard_record.cpp) ----
// Fed by the thread hooks: a top-level dialog activated, a command or close
// request sent or posted to a window, a window about to be destroyed.
void ObserveActivated(HWND window);
void ObserveCommand(HWND window, UINT message, WPARAM wParam);
void ObserveDestroyed(HWND window);

// ---- billboards (billboards.cpp) ----
// Forgets every billboard added with FAddToBillboardList (TerminateInstall).
void ClearBillboards();

} // namespace stf
