// The conversion of an old single-domain user database (see multi_domain.h).
#include "setup/userdb/multi_domain.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "setup/config/registry_values.h"
#include "setup/res/pstsetup_rc.h"
#include "setup/setup_session.h"
#include "setup/setup_trace.h"
#include "setup/toolkit_binding.h"
#include "setup/userdb/alias_target.h"
#include "setup/userdb/old_user_key.h"
#include "setup/userdb/usrvault.h"

#include <array>
#include <cstring>
#include <span>

namespace {

constexpr char kInstDateValue[] = "InstDate";
constexpr char kMultiFlagValue[] = "MultiFlag";

// A list-box entry and the texts built from it.
using EntryText = std::array<char, 512>;
using KeyPath = std::array<char, 512>;

// An installation older than virtual domains: InstDate without MultiFlag,
// each present whatever its size.
bool ConversionNeeded() {
    LONG status = ERROR_SUCCESS;
    const postern::UniqueHkey global =
        CreateRegistryKey(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey, KEY_QUERY_VALUE, &status);
    if (!global) {
        SetupTrace("key %s not opened (error %ld); no user database to convert",
                   postern::kSuiteGlobalKey, status);
        return false;
    }
    return ValueExists(global.get(), kInstDateValue) && !ValueExists(global.get(), kMultiFlagValue);
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

// The old aliases key, opened to delete the aliases handed over one by one;
// empty (with a trace line) when it cannot be opened.
postern::UniqueHkey OpenOldAliases() {
    LONG status = ERROR_SUCCESS;
    postern::UniqueHkey key =
        OpenRegistryKey(HKEY_LOCAL_MACHINE, postern::kSuiteOldAliasesKey, KEY_SET_VALUE, &status);
    if (!key)
        SetupTrace("key %s not opened (error %ld); the aliases handed over stay in it until it "
                   "goes",
                   postern::kSuiteOldAliasesKey, status);
    return key;
}

void DeleteOldAlias(HKEY oldAliases, const char* alias) {
    if (!oldAliases)
        return;
    const LONG status = RegDeleteValueA(oldAliases, alias);
    if (status != ERROR_SUCCESS)
        SetupTrace("old alias %.64s not deleted (error %ld)", alias, status);
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

// Stands for "all of them" where the old entries could not be listed.
constexpr int kAllLeft = -1;

// How far the conversion got: it converts nothing without its progress
// dialog or without the domain.
enum class ConversionStart { Started, NoDialog, NoDomain };

// What one conversion did: the entries the library accepted and those that
// stay in the old database.
struct ConversionOutcome {
    ConversionStart start = ConversionStart::Started;
    int converted = 0;
    int usersLeft = 0;
    int aliasesLeft = 0;
};

// The old aliases when 305 lists none: nothing stays without the old
// aliases key; with it, every alias stays.
int UnlistedAliases() {
    LONG status = ERROR_SUCCESS;
    const postern::UniqueHkey key =
        OpenRegistryKey(HKEY_LOCAL_MACHINE, postern::kSuiteOldAliasesKey, KEY_QUERY_VALUE, &status);
    if (status == ERROR_FILE_NOT_FOUND)
        return 0;
    SetupTrace("the old aliases cannot be listed; they stay in %s", postern::kSuiteOldAliasesKey);
    return kAllLeft;
}

// Whether list entry `index` is an alias to hand over (it holds '='); one
// that cannot be read counts as such.
bool HoldsAlias(HWND list, int index) {
    EntryText entry{};
    return !ReadEntry(list, index, entry) || std::strchr(entry.data(), '=') != nullptr;
}

// Lists the old users and aliases into `list` without converting any: they
// all stay. With no list, none can be counted.
void CountWithoutConverting(HWND list, DomainRecord& domain, ConversionOutcome& outcome) {
    if (list == nullptr) {
        outcome.usersLeft = kAllLeft;
        outcome.aliasesLeft = kAllLeft;
        return;
    }
    UvListOldUsers(list, domain.OldDatabase.data(), 1);
    outcome.usersLeft = EntryCount(list);
    if (UvListOldAliases(list, 0, 1) == 0) {
        outcome.aliasesLeft = UnlistedAliases();
        return;
    }
    const int total = EntryCount(list);
    for (int j = 0; j < total; ++j)
        outcome.aliasesLeft += HoldsAlias(list, j) ? 1 : 0;
}

// Reads one old user and adds it to the domain; its old key goes only once
// the library holds the user. False when the user stays in the old database.
bool ConvertUser(const char* userId, DomainRecord& domain) {
    // A fresh record for each user: nothing of the one before reaches it.
    UserRecord user{};
    if (UvReadOldUser(&user, domain.OldDatabase.data(), userId) == 0) {
        SetupTrace("old user \"%.64s\" not read; its key stays", userId);
        return false;
    }
    user.Flags |= kUserFlagsAddedBySetup;
    if (UvAddUser(&user, &domain) == 0) {
        SetupTrace("user \"%.64s\" not added to the domain %s; its old key stays", userId,
                   Session.HostName.data());
        return false;
    }
    DeleteOldUserKey(userId);
    return true;
}

int ConvertUsers(HWND dialog, DomainRecord& domain, int& left) {
    HWND oldEntries = GetDlgItem(dialog, IDC_OLD_ENTRIES);
    HWND converted = GetDlgItem(dialog, IDC_CONVERTED_USERS);
    UvListOldUsers(oldEntries, domain.OldDatabase.data(), 1);
    Repaint(oldEntries);
    const int total = EntryCount(oldEntries);
    int count = 0;
    for (int i = 0; i < total; ++i) {
        ShowProgress(dialog, "users", i + 1, total);
        EntryText userId{};
        if (!ReadEntry(oldEntries, i, userId) || !ConvertUser(userId.data(), domain)) {
            ++left;
            continue;
        }
        SendMessageA(converted, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(userId.data()));
        Repaint(converted);
        ++count;
    }
    return count;
}

enum class AliasOutcome { HandedOver, Skipped, Left };

// Hands list entry `index` over to the domain; an alias the library accepts
// goes from the old aliases key at once.
AliasOutcome ConvertAlias(HWND list, int index, DomainRecord& domain, HKEY oldAliases) {
    EntryText entry{};
    if (!ReadEntry(list, index, entry))
        return AliasOutcome::Left;
    AliasText alias{};
    AliasText target{};
    const AliasEntryResult result =
        RewriteAliasEntry(entry.data(), Session.HostName.data(), alias, target);
    if (result == AliasEntryResult::NotAnAlias) {
        SetupTrace("alias entry \"%.64s\" skipped: it has no '='", entry.data());
        return AliasOutcome::Skipped;
    }
    if (result == AliasEntryResult::KeptTooLong)
        SetupTrace("alias %.64s keeps its target: with the host name it would exceed %u "
                   "characters",
                   alias.data(), static_cast<unsigned>(kMaxAliasText));
    if (UvAddAlias(&domain, alias.data(), target.data()) == 0) {
        SetupTrace("alias %.64s not added to the domain %s; it stays in the old database",
                   alias.data(), Session.HostName.data());
        return AliasOutcome::Left;
    }
    DeleteOldAlias(oldAliases, alias.data());
    return AliasOutcome::HandedOver;
}

// The old aliases key goes once no alias is left in it.
int ConvertAliases(HWND dialog, DomainRecord& domain, int& left) {
    HWND oldEntries = GetDlgItem(dialog, IDC_OLD_ENTRIES);
    if (UvListOldAliases(oldEntries, 0, 1) == 0) {
        left = UnlistedAliases();
        return 0;
    }
    const int total = EntryCount(oldEntries);
    if (total == 0)
        return 0;
    postern::UniqueHkey oldAliases = OpenOldAliases();
    int count = 0;
    for (int j = 0; j < total; ++j) {
        ShowProgress(dialog, "aliases", j + 1, total);
        const AliasOutcome outcome = ConvertAlias(oldEntries, j, domain, oldAliases.get());
        count += outcome == AliasOutcome::HandedOver ? 1 : 0;
        left += outcome == AliasOutcome::Left ? 1 : 0;
    }
    oldAliases.reset();
    if (left == 0)
        DeleteOldKey(postern::kSuiteOldAliasesKey);
    return count;
}

INT_PTR CALLBACK ConvertingProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// Creates the domain and converts into it, showing the progress in
// `dialog`; without the dialog or the domain nothing is converted.
ConversionOutcome Convert(HWND dialog, DomainRecord& domain) {
    ConversionOutcome outcome;
    if (dialog == nullptr) {
        outcome.start = ConversionStart::NoDialog;
        const postern::UniqueWindow list(CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 0, 0,
                                                         nullptr, nullptr, nullptr, nullptr));
        CountWithoutConverting(list.get(), domain, outcome);
        return outcome;
    }
    if (UvWriteDomain(&domain) == 0) {
        SetupTrace("the domain \"%.255s\" cannot be created; nothing converted",
                   Session.HostName.data());
        outcome.start = ConversionStart::NoDomain;
        CountWithoutConverting(GetDlgItem(dialog, IDC_OLD_ENTRIES), domain, outcome);
        return outcome;
    }
    outcome.converted = ConvertUsers(dialog, domain, outcome.usersLeft);
    outcome.converted += ConvertAliases(dialog, domain, outcome.aliasesLeft);
    return outcome;
}

// Why anything stays in the old database, for the operator.
void ReasonText(std::span<char> text, ConversionStart start) {
    const char* host = Session.HostName.data();
    switch (start) {
    case ConversionStart::NoDialog:
        postern::CopyText(text, "The progress of the conversion cannot be shown, so the user "
                                "database was not converted:");
        break;
    case ConversionStart::NoDomain:
        postern::FormatText(text,
                            "The domain \"%s\" cannot be created, so the user database was not "
                            "converted:",
                            host);
        break;
    case ConversionStart::Started:
        postern::FormatText(text,
                            "Not all of the user database could be converted to the domain "
                            "\"%s\":",
                            host);
        break;
    }
}

// "1 user", "3 aliases", or "all users" where they could not be counted.
void CountText(std::span<char> text, int count, const char* one, const char* many) {
    if (count == kAllLeft)
        postern::FormatText(text, "all %s", many);
    else
        postern::FormatText(text, "%u %s", static_cast<unsigned>(count), count == 1 ? one : many);
}

// Tells the operator what stays in the old database, and keeps the
// conversion offered for the next update.
void ReportLeftBehind(HWND owner, const ConversionOutcome& outcome) {
    Session.ConversionIncomplete = true;
    std::array<char, 384> reason{};
    std::array<char, 32> users{};
    std::array<char, 32> aliases{};
    ReasonText(reason, outcome.start);
    CountText(users, outcome.usersLeft, "user", "users");
    CountText(aliases, outcome.aliasesLeft, "alias", "aliases");
    std::array<char, 640> message{};
    postern::FormatText(message,
                        "%s %s and %s stay in the old user database. The next update offers "
                        "the conversion again.",
                        reason.data(), users.data(), aliases.data());
    ShowFailureBox(owner, message.data(), "Install Failed");
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
    // The progress stays up while the operator reads what stayed behind.
    const postern::UniqueWindow dialog(
        CreateDialogParamA(instance, "DLG_CONVERTING", owner, ConvertingProc, 0));
    if (!dialog)
        SetupTrace("the dialog DLG_CONVERTING cannot be created (error %lu); nothing converted",
                   GetLastError());
    const ConversionOutcome outcome = Convert(dialog.get(), domain);
    if (outcome.usersLeft != 0 || outcome.aliasesLeft != 0)
        ReportLeftBehind(owner, outcome);
    return outcome.converted;
}
