// The state of one setup run in one object: what the toolkit core gathers from
// InitializeFrame to the run's last log line, one part per file that owns it.
// A part is changed only by its own file; the others ask that file's
// functions (toolkit_core.h). When the run ends, EndRunState starts every
// part afresh at once.
//
// Apart from it, because they outlive a run: MSSHLSTF.dll's module handle
// (dll_main.cpp), the two locks below, and the copy's state (copy list,
// billboards, open INF file, gauge position), which TerminateInstall and
// FOpenInf govern rather than the frame.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "answer_file.h"
#include "common/unique_handle.h"
#include "symbol_table.h"
#include "wizard_dialogs.h"

namespace stf {

// ---- frame (frame.cpp) ----
struct FrameState {
    postern::UniqueKernelHandle running; // the one-per-machine guard
    HWND window = nullptr;
    bool started = false;
    bool unattended = false;
    bool waitCursor = false;
    // An unattended run ends its process with the run's status (not with /noexit).
    bool exitWithStatus = false;
    postern::UniqueGdiObject bitmap;
};

// ---- run log and the run's outcome (run_log.cpp), under g_logLock ----
struct LogState {
    postern::UniqueFile file;
    std::array<char, 512> cause{}; // last failure or message box text
    bool failurePending = false;   // the latest logged event was a failure
    bool outcomeFrozen = false;    // the run is ending: later lines keep the outcome
    bool fatalShown = false;
    bool quitConfirmed = false;
    std::array<char, 512> quitReason{};
    bool dialogAnswered = false; // some dialog reported an outcome this run
    unsigned warnings = 0;       // "warning:" lines written this run
};

// ---- symbols (symbols.cpp), under g_symbolLock ----
// DLGEVENT, ButtonChecked and EditTextOut, which the dialogs write.
inline constexpr std::size_t kDialogSymbolCount = 3;
struct SymbolState {
    SymbolTable table;
    unsigned long serial = 0; // counts every change
    // Serial of the latest change of each dialog-written symbol.
    std::array<unsigned long, kDialogSymbolCount> dialogSerial{};
};

// ---- open dialogs and dialog libraries (dialogs.cpp) ----
inline constexpr std::size_t kDialogNameSize = 64;

struct OpenDialog {
    unsigned id = 0; // unique for the run
    UINT number = 0;
    std::array<char, MAX_PATH> library{};
    std::array<char, kDialogNameSize> procedure{};
    HWND window = nullptr; // null when answered unattended
    std::array<char, MAX_PATH> helpLibrary{};
    UINT helpNumber = 0;
    std::array<char, kDialogNameSize> helpProcedure{};
    bool waiting = false;
    bool reported = false;
    bool accepting = false; // its event is awaited: created, shown again or waiting
    std::array<char, 16> event{};
};

struct LoadedLibrary {
    std::array<char, MAX_PATH> name{};
    postern::UniqueModule module;
};

struct DialogState {
    std::vector<OpenDialog> open; // the oldest first
    unsigned nextId = 1;
    unsigned creatingId = 0; // the dialog whose WM_INITDIALOG is running
    // Loaded for the whole run: the dialogs' procedures live in them, so they
    // are freed only after TerminateFrame has closed every dialog.
    std::vector<LoadedLibrary> libraries;
};

// ---- unattended answers and the thread hooks (unattended.cpp) ----
// What the run answered for one dialog number.
struct AskedDialog {
    UINT number = 0;
    unsigned count = 0;
    bool answered = false;
    std::string answer; // "Key=value" as given last
};

struct UnattendedState {
    AnswerFile answers;
    std::vector<AskedDialog> asked;
    // The dialog before this one said that the answer before it was refused.
    bool afterRefused = false;
    unsigned quitAsks = 0; // dialogs asked since the run began to quit
    bool quitting = false;
    std::array<char, 512> reason{};
    postern::UniqueHook hook;        // answers message boxes and the installer's dialogs
    postern::UniqueHook callHook;    // messages sent to the thread's windows (record)
    postern::UniqueHook messageHook; // messages posted to them (record)
    HWND lastAnswered = nullptr;
    HWND pending = nullptr; // activated, to be answered once its modal loop runs
};

// ---- [Users] entries answered to the add-user wizard (wizard_answers.cpp) ----
// How far the entry in progress has been typed.
enum class EntryStage { None, UserId, FullName, Password };

struct UserEntry {
    std::string userId;
    std::string fullName;
    std::string password;
    std::size_t line = 0;
};

struct WizardAnswerState {
    std::size_t next = 0;    // index of the next [Users] entry to take
    bool inProgress = false; // entry is being entered
    UserEntry entry;
    EntryStage stage = EntryStage::None;
    bool refused = false; // a message box came while the entry was entered
    std::string refusal;  // and this was its text
};

// ---- the add-user wizard watched for /record (wizard_record.cpp) ----
// How far the user being added has come.
enum class RecordStage { None, UserId, FullName, Complete };

struct WizardRecordState {
    // The wizard dialog shown last and the button that ended it (0: none yet).
    HWND window = nullptr;
    WizardDialog dialog = WizardDialog::None;
    int command = 0;
    RecordStage stage = RecordStage::None;
    std::string userId;
    std::string fullName;
    std::string password;
};

// ---- /record (answer_record.cpp) ----
struct RecordState {
    std::array<char, MAX_PATH> path{}; // empty: not recording
    AnswerFile recorded;
};

struct RunState {
    FrameState frame;
    LogState log;
    SymbolState symbols;
    DialogState dialogs;
    UnattendedState unattended;
    WizardAnswerState wizardAnswers;
    WizardRecordState wizardRecord;
    RecordState record;
};

extern RunState g_run;

// The log and the symbols are reached from more than one context (the copy
// engine and the thread hooks log and read symbols too), so their parts of
// g_run are read and written only under these locks. The locks outlive every
// run.
extern SRWLOCK g_logLock;
extern SRWLOCK g_symbolLock;

class ExclusiveLock {
  public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

  private:
    SRWLOCK& lock_;
};

// The run has ended (its last log line is written): every part of g_run
// starts afresh. Its handles close (hooks, guard, bitmap, log, libraries)
// after the locks are released, so nothing is freed while they are held.
void EndRunState();

} // namespace stf
