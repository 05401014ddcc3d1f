// The exports of usrvault.dll, by ordinal only (usrvault.def): each checks its
// pointers, runs its operation and writes one line to the call log.
#include <windows.h>

#include "common/bounded_format.h"
#include "vault_log.h"
#include "vault_store.h"

#include <array>

using namespace usrvault;

namespace {

using Reason = std::array<char, 200>;

// "-> result" and, when there is one, " (reason)".
int Logged(int result, const Reason& why, const char* format, ...) POSTERN_PRINTF(3, 4);

int Logged(int result, const Reason& why, const char* format, ...) {
    std::array<char, 700> call{};
    va_list args;
    va_start(args, format);
    postern::FormatTextV(call, format, args);
    va_end(args);
    if (why[0] != '\0')
        LogCall("%s -> %d (%s)", call.data(), result, why.data());
    else
        LogCall("%s -> %d", call.data(), result);
    return result;
}

// A caller's text for the log; a null pointer is shown as such.
const char* Shown(const char* text) {
    return text ? text : "(null)";
}

} // namespace

extern "C" {

int WINAPI UvReadDomain(DomainData* domain, const char* domainName) {
    Reason why{};
    const int result = domain ? ReadDomain(*domain, domainName, why) : 0;
    return Logged(result, why, "100 ReadDomain(\"%.300s\")", Shown(domainName));
}

int WINAPI UvWriteDomain(DomainData* domain) {
    Reason why{};
    const int result = domain ? WriteDomain(*domain, why) : 0;
    return Logged(result, why, "101 WriteDomain(\"%.255s\", flags 0x%lX)",
                  domain ? domain->Name.data() : "(null)",
                  domain ? static_cast<unsigned long>(domain->Flags) : 0ul);
}

int WINAPI UvFindUser(UserData* user, DomainData* domain, const char* userId) {
    Reason why{};
    const int result = user && domain ? FindUser(*user, *domain, userId, why) : 0;
    return Logged(result, why, "200 FindUser(\"%.255s\", \"%.64s\")",
                  domain ? domain->Name.data() : "(null)", Shown(userId));
}

int WINAPI UvReadOldUser(UserData* user, char* oldDatabase, const char* userId) {
    Reason why{};
    const int result = user ? ReadOldUser(*user, oldDatabase, userId, why) : 0;
    return Logged(result, why, "201 ReadOldUser(\"%.64s\")", Shown(userId));
}

int WINAPI UvAddUser(UserData* user, DomainData* domain) {
    Reason why{};
    const int result = user && domain ? AddUser(*user, *domain, why) : 0;
    return Logged(result, why, "202 AddUser(\"%.255s\", \"%.31s\", flags 0x%lX)",
                  domain ? domain->Name.data() : "(null)", user ? user->UserId.data() : "(null)",
                  user ? static_cast<unsigned long>(user->Flags) : 0ul);
}

int WINAPI UvCountAddresses(int zero) {
    Reason why{};
    const int result = CountAddresses(why);
    return Logged(result, why, "300 CountAddresses(%d)", zero);
}

int WINAPI UvListOldUsers(HWND listBox, char* oldDatabase, int reset) {
    Reason why{};
    const int result = ListOldUsers(listBox, oldDatabase, reset != 0, why);
    return Logged(result, why, "304 ListOldUsers(%d)", reset);
}

int WINAPI UvListOldAliases(HWND listBox, int oldDatabase, int reset) {
    Reason why{};
    int result = 0;
    if (oldDatabase != 0)
        postern::CopyText(why, "only the old database at its own place (0) has aliases");
    else
        result = ListOldAliases(listBox, reset != 0, why);
    return Logged(result, why, "305 ListOldAliases(%d, %d)", oldDatabase, reset);
}

int WINAPI UvAddAlias(DomainData* domain, const char* alias, const char* target) {
    Reason why{};
    const int result = domain ? AddAlias(*domain, alias, target, why) : 0;
    return Logged(result, why, "422 AddAlias(\"%.255s\", \"%.200s\", \"%.200s\")",
                  domain ? domain->Name.data() : "(null)", Shown(alias), Shown(target));
}

int WINAPI UvOpenDatabase() {
    Reason why{};
    const int result = OpenDatabase(why);
    return Logged(result, why, "514 OpenDatabase()");
}

int WINAPI UvMarkInstallation(const char* path) {
    // The mark is the log line itself: it records the path it was given.
    Reason why{};
    const int result = path != nullptr && path[0] != '\0' ? 1 : 0;
    if (result == 0)
        postern::CopyText(why, "no path");
    return Logged(result, why, "521 MarkInstallation(\"%.500s\")", Shown(path));
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetLogModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
