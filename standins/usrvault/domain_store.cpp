// The database of virtual domains in the registry (the format is described in
// README.md): one key per domain under the Domains key with its record, its
// users' records below "Users" and its aliases as values of "Aliases".
#include "vault_store.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "vault_names.h"
#include "vault_registry.h"

#include <array>
#include <climits>
#include <cstring>

namespace usrvault {

namespace {

constexpr char kRecordValue[] = "Record";
constexpr char kAddressCountValue[] = "AddressCount";

using KeyPath = std::array<char, 800>;

// The domain's name, which must be terminated inside its field and not empty.
bool DomainNameOf(const DomainData& domain, std::span<char> why) {
    const std::size_t length = postern::BoundedLength(domain.Name);
    if (length == 0 || length >= domain.Name.size()) {
        postern::CopyText(why, "the record names no domain");
        return false;
    }
    return true;
}

// "<Domains>\<domain key>" and, with a sub-key, "...\<sub>".
bool DomainPath(const char* name, const char* sub, KeyPath& path, std::span<char> why) {
    std::array<char, 256> key{};
    if (!KeyNameFor(name, key)) {
        postern::CopyText(why, "the domain name has no key name");
        return false;
    }
    const bool fits =
        sub ? postern::FormatText(path, "%s\\%s\\%s", postern::kSuiteDomainsKey, key.data(), sub)
            : postern::FormatText(path, "%s\\%s", postern::kSuiteDomainsKey, key.data());
    if (!fits)
        postern::CopyText(why, "the key path is too long");
    return fits;
}

bool UserPath(const DomainData& domain, const char* userId, KeyPath& path, std::span<char> why) {
    std::array<char, 256> key{};
    if (!KeyNameFor(userId, key)) {
        postern::CopyText(why, "the user id has no key name");
        return false;
    }
    std::array<char, 300> sub{};
    postern::FormatText(sub, "Users\\%s", key.data());
    return DomainPath(domain.Name.data(), sub.data(), path, why);
}

bool DomainStored(const DomainData& domain, std::span<char> why) {
    KeyPath path{};
    if (!DomainNameOf(domain, why) || !DomainPath(domain.Name.data(), nullptr, path, why))
        return false;
    if (!OpenMachineKey(path.data())) {
        postern::CopyText(why, "the domain is not stored");
        return false;
    }
    return true;
}

std::span<std::byte> Bytes(auto& record) {
    return std::as_writable_bytes(std::span(&record, 1));
}
std::span<const std::byte> Bytes(const auto& record) {
    return std::as_bytes(std::span(&record, 1));
}

} // namespace

int OpenDatabase(std::span<char> why) {
    if (!CreateMachineKey(postern::kSuiteDomainsKey)) {
        postern::FormatText(why, "cannot create %s", postern::kSuiteDomainsKey);
        return 0;
    }
    return 1;
}

int ReadDomain(DomainData& domain, const char* givenName, std::span<char> why) {
    // The name is copied first: the caller may pass the record's own field.
    std::array<char, 256> name{};
    if (!postern::CopyText(name, givenName))
        name[0] = '\0';
    // The record of a domain not stored yet: its name and the old database's
    // location, ready to be stored with WriteDomain.
    if (!StartDomain(domain, name.data(), postern::kSuiteRootKey)) {
        postern::CopyText(why, "no usable domain name");
        return 0;
    }
    KeyPath path{};
    if (!DomainPath(name.data(), nullptr, path, why))
        return 0;
    postern::UniqueHkey key = OpenMachineKey(path.data());
    if (!key) {
        postern::CopyText(why, "not stored");
        return 0;
    }
    DomainData stored;
    const ValueRead read = ReadRecordValue(key.get(), kRecordValue, Bytes(stored));
    if (read != ValueRead::Read) {
        postern::FormatText(why, "its record is %s", ReadResultText(read));
        return 0;
    }
    domain = stored;
    // The location is the library's, whatever an older record held.
    domain.OldDatabase.fill('\0');
    postern::CopyText(domain.OldDatabase, postern::kSuiteRootKey);
    return 1;
}

int WriteDomain(const DomainData& domain, std::span<char> why) {
    KeyPath path{};
    if (!DomainNameOf(domain, why) || !DomainPath(domain.Name.data(), nullptr, path, why))
        return 0;
    postern::UniqueHkey key = CreateMachineKey(path.data());
    if (!key || !WriteRecordValue(key.get(), kRecordValue, Bytes(domain))) {
        postern::CopyText(why, "cannot store the record");
        return 0;
    }
    return 1;
}

int FindUser(UserData& user, const DomainData& domain, const char* givenId, std::span<char> why) {
    std::array<char, 32> userId{};
    if (!postern::CopyText(userId, givenId))
        userId[0] = '\0';
    // What the caller finds when the user does not exist: a new user's record.
    if (!StartUser(user, userId.data())) {
        postern::CopyText(why, "no usable user id");
        return 0;
    }
    KeyPath path{};
    if (!DomainStored(domain, why) || !UserPath(domain, userId.data(), path, why))
        return 0;
    postern::UniqueHkey key = OpenMachineKey(path.data());
    if (!key) {
        postern::CopyText(why, "no such user");
        return 0;
    }
    UserData stored;
    const ValueRead read = ReadRecordValue(key.get(), kRecordValue, Bytes(stored));
    if (read == ValueRead::Read)
        user = stored;
    else
        postern::FormatText(why, "exists; its record is %s", ReadResultText(read));
    return 1;
}

int AddUser(const UserData& user, const DomainData& domain, std::span<char> why) {
    const std::size_t length = postern::BoundedLength(user.UserId);
    if (length == 0 || length >= user.UserId.size()) {
        postern::CopyText(why, "the record holds no user id");
        return 0;
    }
    KeyPath path{};
    if (!DomainStored(domain, why) || !UserPath(domain, user.UserId.data(), path, why))
        return 0;
    postern::UniqueHkey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.data(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), &disposition) != ERROR_SUCCESS) {
        key.release();
        postern::CopyText(why, "cannot create the user's key");
        return 0;
    }
    if (disposition != REG_CREATED_NEW_KEY) {
        postern::CopyText(why, "the user exists already");
        return 0;
    }
    if (!WriteRecordValue(key.get(), kRecordValue, Bytes(user))) {
        key.reset();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.data());
        postern::CopyText(why, "cannot store the record");
        return 0;
    }
    return 1;
}

int AddAlias(const DomainData& domain, const char* alias, const char* target, std::span<char> why) {
    if (alias == nullptr || alias[0] == '\0' || target == nullptr) {
        postern::CopyText(why, "no alias or no target");
        return 0;
    }
    KeyPath path{};
    if (!DomainStored(domain, why) || !DomainPath(domain.Name.data(), "Aliases", path, why))
        return 0;
    postern::UniqueHkey key = CreateMachineKey(path.data());
    if (!key) {
        postern::CopyText(why, "cannot create the aliases key");
        return 0;
    }
    if (RegQueryValueExA(key.get(), alias, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        postern::CopyText(why, "the alias exists already");
        return 0;
    }
    if (RegSetValueExA(key.get(), alias, 0, REG_SZ, reinterpret_cast<const BYTE*>(target),
                       static_cast<DWORD>(std::strlen(target) + 1)) != ERROR_SUCCESS) {
        postern::CopyText(why, "cannot store the alias");
        return 0;
    }
    return 1;
}

int CountAddresses(std::span<char> why) {
    postern::UniqueHkey key = OpenMachineKey(postern::kSuiteDomainsKey);
    DWORD count = 0;
    const ValueRead read =
        key ? ReadNumberValue(key.get(), kAddressCountValue, count) : ValueRead::Missing;
    if (read != ValueRead::Read) {
        postern::FormatText(why, "%s is %s", kAddressCountValue, ReadResultText(read));
        return 0;
    }
    return count > static_cast<DWORD>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

} // namespace usrvault
