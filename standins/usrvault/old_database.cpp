// The old single-domain database of earlier releases, read-only: one key per
// user directly under the suite's root (text values "Password" and
// "FullName", an optional REG_DWORD "Flags"), and the aliases as text values
// of the key "_aliases" (value name: alias, data: target).
#include "vault_store.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "vault_names.h"
#include "vault_registry.h"

#include <array>
#include <string>
#include <vector>

namespace usrvault {

namespace {

constexpr char kPasswordValue[] = "Password";
constexpr char kFullNameValue[] = "FullName";
constexpr char kFlagsValue[] = "Flags";

using KeyPath = std::array<char, 600>;

// The old database's key as the domain record names it: terminated inside
// its field.
bool OldDatabaseOf(const char* oldDatabase, std::span<char> path, std::span<char> why) {
    constexpr std::size_t kFieldSize = sizeof(DomainData::OldDatabase);
    if (oldDatabase == nullptr ||
        postern::BoundedLength(std::span<const char>(oldDatabase, kFieldSize)) >= kFieldSize ||
        oldDatabase[0] == '\0') {
        postern::CopyText(why, "no old database named");
        return false;
    }
    return postern::CopyText(path, oldDatabase);
}

// A key directly under the old database is a user when its name is not one
// of the suite's own keys and it holds a text value "Password".
bool IsOldUser(HKEY database, const char* name) {
    if (!IsOldUserKey(name))
        return false;
    postern::UniqueHkey user;
    if (RegOpenKeyExA(database, name, 0, KEY_READ, user.put()) != ERROR_SUCCESS) {
        user.release();
        return false;
    }
    DWORD type = 0;
    return RegQueryValueExA(user.get(), kPasswordValue, nullptr, &type, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           (type == REG_SZ || type == REG_EXPAND_SZ);
}

bool AddToList(HWND listBox, const char* text) {
    const LRESULT at = SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    return at != LB_ERR && at != LB_ERRSPACE;
}

} // namespace

int ReadOldUser(UserData& user, const char* oldDatabase, const char* givenId, std::span<char> why) {
    std::array<char, 32> userId{};
    if (!postern::CopyText(userId, givenId))
        userId[0] = '\0';
    KeyPath database{};
    if (!OldDatabaseOf(oldDatabase, database, why))
        return 0;
    if (!StartUser(user, userId.data()) || !IsOldUserKey(userId.data())) {
        postern::CopyText(why, "not a user id of the old database");
        return 0;
    }
    for (const char c : std::string_view(userId.data())) {
        if (c == '\\') {
            postern::CopyText(why, "not a user id of the old database");
            return 0;
        }
    }
    KeyPath path{};
    postern::FormatText(path, "%s\\%s", database.data(), userId.data());
    postern::UniqueHkey key = OpenMachineKey(path.data());
    if (!key) {
        postern::CopyText(why, "no such user");
        return 0;
    }
    ValueRead read = ReadTextValue(key.get(), kPasswordValue, user.Password);
    if (read != ValueRead::Read) {
        postern::FormatText(why, "its %s is %s", kPasswordValue, ReadResultText(read));
        return 0;
    }
    read = ReadTextValue(key.get(), kFullNameValue, user.FullName);
    if (read != ValueRead::Read && read != ValueRead::Missing) {
        postern::FormatText(why, "its %s is %s", kFullNameValue, ReadResultText(read));
        return 0;
    }
    DWORD flags = kNewUserFlags;
    read = ReadNumberValue(key.get(), kFlagsValue, flags);
    if (read != ValueRead::Read && read != ValueRead::Missing) {
        postern::FormatText(why, "its %s is %s", kFlagsValue, ReadResultText(read));
        return 0;
    }
    user.Flags = flags;
    return 1;
}

int ListOldUsers(HWND listBox, const char* oldDatabase, bool reset, std::span<char> why) {
    KeyPath path{};
    if (!OldDatabaseOf(oldDatabase, path, why))
        return 0;
    postern::UniqueHkey database = OpenMachineKey(path.data());
    if (!database) {
        postern::CopyText(why, "the old database does not exist");
        return 0;
    }
    if (!IsWindow(listBox)) {
        postern::CopyText(why, "no list box");
        return 0;
    }
    if (reset)
        SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
    int listed = 0;
    for (DWORD index = 0;; ++index) {
        std::array<char, 256> name{};
        DWORD length = static_cast<DWORD>(name.size());
        const LONG status = RegEnumKeyExA(database.get(), index, name.data(), &length, nullptr,
                                          nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS) {
            postern::FormatText(why, "cannot enumerate the old database (error %ld)", status);
            return 0;
        }
        if (!IsOldUser(database.get(), name.data()))
            continue;
        if (!AddToList(listBox, name.data())) {
            postern::CopyText(why, "the list box takes no more entries");
            return 0;
        }
        ++listed;
    }
    postern::FormatText(why, "%d users", listed);
    return 1;
}

int ListOldAliases(HWND listBox, bool reset, std::span<char> why) {
    KeyPath path{};
    postern::FormatText(path, "%s\\_aliases", postern::kSuiteRootKey);
    postern::UniqueHkey aliases = OpenMachineKey(path.data());
    if (!aliases) {
        postern::CopyText(why, "the old database has no aliases");
        return 0;
    }
    if (!IsWindow(listBox)) {
        postern::CopyText(why, "no list box");
        return 0;
    }
    // Every alias is read before the list changes: one that cannot be listed
    // as it is fails the whole listing, so that no caller takes a part of the
    // aliases for all of them.
    DWORD maxName = 0;
    DWORD maxData = 0;
    if (RegQueryInfoKeyA(aliases.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
        postern::CopyText(why, "cannot read the aliases key");
        return 0;
    }
    std::vector<std::string> entries;
    std::string name(maxName + 1, '\0');
    std::string data(maxData + 1, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size() - 1);
        DWORD type = 0;
        const LONG status = RegEnumValueA(aliases.get(), index, name.data(), &nameLength, nullptr,
                                          &type, reinterpret_cast<BYTE*>(data.data()), &dataLength);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS) {
            postern::FormatText(why, "cannot enumerate the aliases (error %ld)", status);
            return 0;
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            postern::FormatText(why, "the alias \"%.64s\" is not a text", name.c_str());
            return 0;
        }
        data[dataLength] = '\0';
        std::array<char, kMaxListEntry + 1> entry{};
        if (!FormatAliasEntry(std::string_view(name.data(), nameLength), data.c_str(), entry)) {
            postern::FormatText(why, "the alias \"%.64s\" cannot be listed as alias=target",
                                name.c_str());
            return 0;
        }
        entries.emplace_back(entry.data());
    }
    if (reset)
        SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries) {
        if (!AddToList(listBox, entry.c_str())) {
            postern::CopyText(why, "the list box takes no more entries");
            return 0;
        }
    }
    postern::FormatText(why, "%u aliases", static_cast<unsigned>(entries.size()));
    return 1;
}

} // namespace usrvault
