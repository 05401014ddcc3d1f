// The installer's side of usrvault, the suite's user-database library: the two
// records it exchanges with the library and the functions it imports by
// ordinal (setup/userdb/usrvault.def). The installer owns the records' memory
// and zero-fills neither; only the fields named here mean anything to it, the
// other bytes belong to the library.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>

// One virtual domain.
struct DomainRecord {
    std::array<char, 768> LibraryData;
    // A text that the installer empties when ordinal 100 finds no domain.
    std::array<char, 272> DomainText;
    // Filled by ordinal 100; handed on to ordinals 304 and 201.
    std::array<char, 268> OldDatabase;
    std::uint32_t Flags;
};

// Set when the domain uses the NT user database instead of the suite's own.
constexpr std::uint32_t kDomainFlagNtUserDatabase = 0x10;

// One user of a domain.
struct UserRecord {
    std::array<char, 32> UserId;
    std::array<char, 32> Password;
    std::array<char, 62> FullName;
    std::array<char, 22> LibraryData1;
    std::uint32_t Flags;
    std::array<char, 272> LibraryData2;
};

// The flags word of every user that the installer converts or adds.
constexpr std::uint32_t kUserFlagsAddedBySetup = 0x80;

static_assert(sizeof(DomainRecord) == 1312, "DomainRecord is 1312 bytes");
static_assert(offsetof(DomainRecord, DomainText) == 768);
static_assert(offsetof(DomainRecord, OldDatabase) == 1040);
static_assert(offsetof(DomainRecord, Flags) == 1308);
static_assert(sizeof(UserRecord) == 424, "UserRecord is 424 bytes");
static_assert(offsetof(UserRecord, UserId) == 0);
static_assert(offsetof(UserRecord, Password) == 32);
static_assert(offsetof(UserRecord, FullName) == 64);
static_assert(offsetof(UserRecord, Flags) == 148);

// The library's functions, with their ordinals. Results are those the library
// gives; the installer relies only on those of 100, 200, 201, 300 and 305.
extern "C" {
// 100: fills the record for the domain; nonzero when the domain exists.
int WINAPI UvReadDomain(DomainRecord* domain, const char* domainName);
// 101: stores the record, creating the domain.
int WINAPI UvWriteDomain(DomainRecord* domain);
// 200: nonzero when the user id exists in the domain.
int WINAPI UvFindUser(UserRecord* user, DomainRecord* domain, const char* userId);
// 201: nonzero when the user of the old single-domain database was read into
// the record; oldDatabase is the domain record's OldDatabase field.
int WINAPI UvReadOldUser(UserRecord* user, char* oldDatabase, const char* userId);
// 202: adds the user to the domain.
int WINAPI UvAddUser(UserRecord* user, DomainRecord* domain);
// 300 (with 0): the number of IP addresses that the existing user database
// assigns to this system.
int WINAPI UvCountAddresses(int zero);
// 304 (list box, OldDatabase, 1): the list box holds the old user ids.
int WINAPI UvListOldUsers(HWND listBox, char* oldDatabase, int one);
// 305 (list box, 0, 1): nonzero on success; the list box then holds the old
// aliases as "alias=target".
int WINAPI UvListOldAliases(HWND listBox, int zero, int one);
// 422: adds the alias to the domain.
int WINAPI UvAddAlias(DomainRecord* domain, const char* alias, const char* target);
// 514: called once before ordinal 100 when the configuration is written.
int WINAPI UvOpenDatabase();
// 521: "%s\reg_init" of the top directory after an installation,
// "%s\reg_term" on a removal.
int WINAPI UvMarkInstallation(const char* path);
}
