// Helpers of the add-user wizard's Wine tests (see wizard_harness.h).
#include "wizard_harness.h"

#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "common/win_test_support.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace wizard_test {

void FreshDatabase() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
    StoreDomain(kDomain);
}

void StoreDomain(const char* domainName) {
    DomainRecord domain{};
    UvOpenDatabase();
    UvReadDomain(&domain, domainName);
    domain.DomainText.fill('\0');
    UvWriteDomain(&domain);
}

void StoreUser(const char* userId, const char* fullName, const char* password,
               const char* domainName) {
    DomainRecord domain{};
    UserRecord user{};
    UvReadDomain(&domain, domainName);
    UvFindUser(&user, &domain, userId);
    std::strcpy(user.FullName.data(), fullName);
    std::strcpy(user.Password.data(), password);
    UvAddUser(&user, &domain);
}

void StoreAlias(const char* alias, const char* target, const char* domainName) {
    DomainRecord domain{};
    UvReadDomain(&domain, domainName);
    UvAddAlias(&domain, alias, target);
}

bool FindStoredUser(const char* userId, UserRecord& user) {
    DomainRecord domain{};
    UvReadDomain(&domain, kDomain);
    return UvFindUser(&user, &domain, userId) != 0;
}

std::vector<std::string> StoredUserIds() {
    std::vector<std::string> ids;
    const std::string path = std::string(postern::kSuiteDomainsKey) + "\\" + kDomain + "\\Users";
    postern::UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return ids;
    for (DWORD i = 0;; ++i) {
        std::array<char, 256> name{};
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        ids.emplace_back(name.data());
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

InstallerThread::InstallerThread(std::function<void()> body)
    : body_(std::move(body)), started_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_.reset(CreateThread(nullptr, 0, Run, this, 0, &id_));
    if (thread_)
        WaitForSingleObject(started_.get(), 10000);
}

DWORD WINAPI InstallerThread::Run(LPVOID param) {
    auto* self = static_cast<InstallerThread*>(param);
    // A message queue before the test looks for the thread's windows.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(self->started_.get());
    self->body_();
    return 0;
}

InstallerThread::~InstallerThread() {
    Join();
}

namespace {

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

bool InstallerThread::Join(DWORD timeoutMs) {
    if (joined_ || !thread_)
        return true;
    joined_ = true;
    const bool onTime = WaitForSingleObject(thread_.get(), timeoutMs) == WAIT_OBJECT_0;
    bool ended = onTime;
    while (!ended) {
        EnumThreadWindows(id_, CancelDialog, 0);
        PostThreadMessageA(id_, WM_QUIT, 0, 0);
        ended = WaitForSingleObject(thread_.get(), 500) == WAIT_OBJECT_0;
    }
    return onTime;
}

HWND CreateOwnerWindow() {
    HWND owner = CreateWindowExA(0, "STATIC", "Wizard owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120,
                                 80, 560, 400, nullptr, nullptr, nullptr, nullptr);
    UpdateWindow(owner);
    return owner;
}

namespace {

struct Search {
    const char* caption;
    bool needEnabled;
    HWND found;
};

BOOL CALLBACK FindCaptioned(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    std::array<char, 16> cls{};
    GetClassNameA(window, cls.data(), static_cast<int>(cls.size()));
    if (std::strcmp(cls.data(), "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    if (search->needEnabled && !IsWindowEnabled(window))
        return TRUE;
    if (search->caption != nullptr && Text(window) != search->caption)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND WaitForDialog(DWORD thread, const char* caption, DWORD timeoutMs) {
    Search search{caption, true, nullptr};
    postern::WaitFor(
        [&] {
            search.found = nullptr;
            EnumThreadWindows(thread, FindCaptioned, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

bool AnyDialog(DWORD thread) {
    Search search{nullptr, false, nullptr};
    EnumThreadWindows(thread, FindCaptioned, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    return postern::WaitFor([window] { return !IsWindow(window); }, timeoutMs);
}

std::string Text(HWND window) {
    std::array<char, 1024> text{};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_BLOCK, 2000, &copied);
    return text.data();
}

std::string ItemText(HWND dialog, int id) {
    return Text(GetDlgItem(dialog, id));
}

void Type(HWND dialog, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, 1000), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Key(HWND dialog, WPARAM key) {
    PostMessageA(dialog, WM_KEYDOWN, key, 0);
}

bool ShowsIcon(HWND box) {
    // Windows names the icon control 0x14, Wine 0x440; Wine keeps it (empty)
    // in a box without an icon, so the icon it holds is what counts.
    for (const int id : {0x14, 0x440}) {
        HWND icon = GetDlgItem(box, id);
        if (icon != nullptr && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) != 0)
            return true;
    }
    return false;
}

} // namespace wizard_test
