// Helpers of the add-user wizard's Wine tests: the wizard run on a thread of
// its own (as the installer's thread) while the test operates its dialogs,
// the user database prepared with one stored domain, and reading users back.
#pragma once

#include <windows.h>

#include "common/unique_handle.h"
#include "setup/userdb/usrvault.h"

#include <functional>
#include <string>
#include <vector>

namespace wizard_test {

constexpr char kDomain[] = "example.com";
// A domain that is never stored: the library adds no user to it.
constexpr char kUnstoredDomain[] = "unstored.example.com";

// Empties the suite's registry tree and stores the domain `kDomain`.
void FreshDatabase();
// Stores a domain of that name (beside those there are).
void StoreDomain(const char* domainName);
// Adds a user the way the suite's user manager would (flags 0x03).
void StoreUser(const char* userId, const char* fullName, const char* password,
               const char* domainName = kDomain);
// Adds an alias the way the suite's user manager would.
void StoreAlias(const char* alias, const char* target, const char* domainName = kDomain);
// The stored user, and whether it exists.
bool FindStoredUser(const char* userId, UserRecord& user);
// The ids of the domain's users, sorted.
std::vector<std::string> StoredUserIds();

// Runs `body` on a new thread, which owns the windows it creates; the test
// thread drives them. The thread ends when `body` returns.
class InstallerThread {
  public:
    explicit InstallerThread(std::function<void()> body);
    ~InstallerThread();
    InstallerThread(const InstallerThread&) = delete;
    InstallerThread& operator=(const InstallerThread&) = delete;
    DWORD Id() const { return id_; }
    // Waits for the thread to end; false when it did not within timeoutMs
    // (its dialogs are then cancelled and its loops quit, so that it ends).
    bool Join(DWORD timeoutMs = 15000);

  private:
    static DWORD WINAPI Run(LPVOID self);
    std::function<void()> body_;
    postern::UniqueKernelHandle started_;
    postern::UniqueKernelHandle thread_;
    DWORD id_ = 0;
    bool joined_ = false;
};

// A visible top-level window the wizard's dialogs are owned by, at a known
// place, made on the calling thread.
HWND CreateOwnerWindow();

// The visible, enabled top-level dialog of `thread` with this caption, or
// null after timeoutMs.
HWND WaitForDialog(DWORD thread, const char* caption, DWORD timeoutMs = 10000);
// Whether any top-level dialog of the thread is visible.
bool AnyDialog(DWORD thread);
bool WaitGone(HWND window, DWORD timeoutMs = 10000);

std::string Text(HWND window); // WM_GETTEXT, so it works across threads
std::string ItemText(HWND dialog, int id);
void Type(HWND dialog, const std::string& text); // into the edit field 1000
// Clicks a button of the dialog (BM_CLICK, so the dialog gets its command as
// from a mouse click).
void Click(HWND dialog, int id);
// A key pressed while the dialog has the focus.
void Key(HWND dialog, WPARAM key);
// Whether the message box shows an icon.
bool ShowsIcon(HWND box);

} // namespace wizard_test
