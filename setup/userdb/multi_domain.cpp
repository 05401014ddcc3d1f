// The conversion of an old single-domain user database (see multi_domain.h).
#include "setup/userdb/multi_domain.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "setup/res/pstsetup_rc.h"
#include "setup/setup_session.h"
#include "setup/setup_trace.h"
#include "setup/toolkit_binding.h"
#include "setup/userdb/alias_target.h"
#include "setup/userdb/old_user_key.h"
#include "setup/userdb/usrvault.h"

#include <array>
#include <cstdint>

namespace {

constexpr char InstDateValue[] = "InstDate";
constexpr char MultiFlagValue[] = "MultiFlag";
constexpr DWORD InstDateSize = 39;
constexpr char OldAliasesKey[] = "SOFTWARE\\Corvane\\Postern\\_aliases";

// A list-box entry and the texts built from it.
using EntryText = std::array<char, 512>;
using KeyPath = std::array<char, 512>;

// Whether the value exists: a value larger than the buffer exists too, and
// its contents are not needed.
bool ValueExists(HKEY key, const char* name, DWORD size) {
    std::array<BYTE, InstDateSize> data{};
    DWORD room = size;
    const LONG status = RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &room);
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
}

// An installation older than virtual domains: InstDate without MultiFlag.
bool ConversionNeeded() {
    postern::UniqueHkey global;
    const LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, postern::SuiteGlobalKey, 0, nullptr, 0,
                                        KEY_QUERY_VALUE, nullptr, global.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        SetupTrace("key %s not opened (error %ld); no user database to convert",
                   postern::SuiteGlobalKey, status);
        return false;
    }
    return ValueExists(global.get(), InstDateValue, InstDateSize) &&
           !ValueExists(global.get(), MultiFlagValue, sizeof(std::uint32_t));
}

// Deletes an old key under the product key, given its path.
void DeleteOldKey(const char* path) {
    const LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    if (status != ERROR_SUCCESS)
        SetupTrace("old key %s not deleted (error %ld)", path, status);
}

// The converted user's own key goes; the suite's keys and any id that would
// reach another key stay.
void DeleteOldUserKey(const char* userId) {
    KeyPath path{};
    if (OldUserKeyPath(userId, path))
        DeleteOldKey(path.data());
    else
        SetupTrace("key of user \"%.64s\" kept: it is no user's own key", userId);
}

// Paints the control now: the conversion runs without a message loop. The
// zero wait takes no message; it lets systems that buffer a window's drawing
// show what was just painted.
void Repaint(HWND control) {
    UpdateWindow(control);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

int EntryCount(HWND list) {
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

// Reads entry `index` of the list; false (with a trace line) when it cannot
// be read or does not fit the buffer.
bool ReadEntry(HWND list, int index, EntryText& entry) {
    entry[0] = '\0';
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0 || static_cast<std::size_t>(length) >= entry.size()) {
        SetupTrace("list entry %d skipped: %s", index,
                   length == LB_ERR ? "it cannot be read" : "longer than 511 characters");
        return false;
    }
    if (SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(entry.data())) == LB_ERR) {
        SetupTrace("list entry %d skipped: it cannot be read", index);
        return false;
    }
    return true;
}

void ShowProgress(HWND dialog, const char* what, int done, int total) {
    EntryText line{};
    postern::FormatText(line, "Converting %u of %u %s to the domain %s.",
                        static_cast<unsigned>(done), static_cast<unsigned>(total), what,
                        Session.HostName.data());
    SetDlgItemTextA(dialog, IDC_PROGRESS_LINE, line.data());
    Repaint(GetDlgItem(dialog, IDC_PROGRESS_LINE));
}

int ConvertUsers(HWND dialog, DomainRecord& domain) {
    HWND oldEntries = GetDlgItem(dialog, IDC_OLD_ENTRIES);
    HWND converted = GetDlgItem(dialog, IDC_CONVERTED_USERS);
    UvListOldUsers(oldEntries, domain.OldDatabase.data(), 1);
    Repaint(oldEntries);
    const int total = EntryCount(oldEntries);
    int count = 0;
    for (int i = 0; i < total; ++i) {
        ShowProgress(dialog, "users", i + 1, total);
        EntryText userId{};
        if (!ReadEntry(oldEntries, i, userId))
            continue;
        // A fresh record for each user: nothing of the one before reaches it.
        UserRecord user{};
        if (UvReadOldUser(&user, domain.OldDatabase.data(), userId.data()) == 0) {
            SetupTrace("old user \"%.64s\" not read; its key stays", userId.data());
            continue;
        }
        user.Flags |= UserFlagsAddedBySetup;
        if (UvAddUser(&user, &domain) == 0)
            SetupTrace("user \"%.64s\" not added to the domain %s", userId.data(),
                       Session.HostName.data());
        SendMessageA(converted, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(userId.data()));
        Repaint(converted);
        DeleteOldUserKey(userId.data());
        ++count;
    }
    return count;
}

int ConvertAliases(HWND dialog, DomainRecord& domain) {
    HWND oldEntries = GetDlgItem(dialog, IDC_OLD_ENTRIES);
    if (UvListOldAliases(oldEntries, 0, 1) == 0)
        return 0;
    const int total = EntryCount(oldEntries);
    if (total == 0)
        return 0;
    int count = 0;
    for (int j = 0; j < total; ++j) {
        ShowProgress(dialog, "aliases", j + 1, total);
        EntryText entry{};
        if (!ReadEntry(oldEntries, j, entry))
            continue;
        AliasText alias{};
        AliasText target{};
        const AliasEntryResult result =
            RewriteAliasEntry(entry.data(), Session.HostName.data(), alias, target);
        if (result == AliasEntryResult::NotAnAlias) {
            SetupTrace("alias entry \"%.64s\" skipped: it has no '='", entry.data());
            continue;
        }
        if (result == AliasEntryResult::KeptTooLong)
            SetupTrace("alias %.64s keeps its target: with the host name it would exceed %u "
                       "characters",
                       alias.data(), static_cast<unsigned>(MaxAliasText));
        ++count;
        if (UvAddAlias(&domain, alias.data(), target.data()) == 0)
            SetupTrace("alias %.64s not added to the domain %s", alias.data(),
                       Session.HostName.data());
    }
    DeleteOldKey(OldAliasesKey);
    return count;
}

INT_PTR CALLBACK ConvertingProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR CALLBACK WarningProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        const int addresses = UvCountAddresses(0);
        EntryText notice{};
        postern::FormatText(notice,
                            "The first virtual domain of %s will be created for the %u IP "
                            "address%s assigned to this system from your existing user database.",
                            Session.HostName.data(), static_cast<unsigned>(addresses),
                            addresses > 1 ? "es" : "");
        SetDlgItemTextA(dialog, IDC_DOMAIN_NOTICE, notice.data());
        return TRUE;
    }
    case WM_COMMAND:
        // Convert Database ends it with 1; Cancel Installation, Escape and the
        // close box arrive as id 2 and end it with 0.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 0);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

int CheckMultiDomainUpgrade() {
    if (!ConversionNeeded())
        return 1;
    HWND owner = FrameWindow();
    const INT_PTR answer = DialogBoxParamA(Session.Instance, "DLG_MULTI1", owner, WarningProc, 0);
    if (answer == -1) {
        // Going on would mark the installation as converted and leave the old
        // users behind for good, so the installation stops here unchanged.
        std::array<char, 160> message{};
        postern::FormatText(message,
                            "The dialog DLG_MULTI1 cannot be shown (error %lu); the user "
                            "database is not converted.",
                            GetLastError());
        ShowFailureBox(owner, message.data(), "Install Failed");
        return 0;
    }
    if (answer == 0)
        return 0;
    ConvertUserDatabase(owner, Session.Instance);
    return 1;
}

int ConvertUserDatabase(HWND owner, HINSTANCE instance) {
    // Zeroed, so no stray bytes of this program reach the library's storage.
    DomainRecord domain{};
    UvReadDomain(&domain, Session.HostName.data());
    postern::UniqueWindow dialog(
        CreateDialogParamA(instance, "DLG_CONVERTING", owner, ConvertingProc, 0));
    if (!dialog) {
        SetupTrace("the dialog DLG_CONVERTING cannot be created (error %lu); nothing converted",
                   GetLastError());
        return 0;
    }
    UvWriteDomain(&domain);
    const int users = ConvertUsers(dialog.get(), domain);
    return users + ConvertAliases(dialog.get(), domain);
}
