// The records that usrvault exchanges with its callers, as the library sees
// them: every byte has its use here, including those the callers leave to the
// library. Callers own the memory and need not zero it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace usrvault {

// One virtual domain, 1312 bytes.
struct DomainData {
    std::array<char, 256> Name;     // the domain's name; the key it is stored under
    std::array<char, 512> Reserved; // zeroed in a new record, stored as given
    // A text of the caller's (a description of the domain), stored as given.
    std::array<char, 272> Description;
    // Where the old single-domain database lives: its registry key under
    // HKEY_LOCAL_MACHINE. Filled by ReadDomain, read by the old-database calls.
    std::array<char, 268> OldDatabase;
    std::uint32_t Flags;
};

// One user of a domain, 424 bytes.
struct UserData {
    std::array<char, 32> UserId;
    std::array<char, 32> Password;
    std::array<char, 62> FullName;
    std::array<char, 22> Reserved1;
    std::uint32_t Flags;
    std::array<char, 272> Reserved2;
};

static_assert(sizeof(DomainData) == 1312);
static_assert(offsetof(DomainData, Description) == 768);
static_assert(offsetof(DomainData, OldDatabase) == 1040);
static_assert(offsetof(DomainData, Flags) == 1308);
static_assert(sizeof(UserData) == 424);
static_assert(offsetof(UserData, Password) == 32);
static_assert(offsetof(UserData, FullName) == 64);
static_assert(offsetof(UserData, Flags) == 148);

// User flags of the library: a user it creates itself may collect mail
// (POP3) and has a mailbox.
constexpr std::uint32_t kUserFlagPop3 = 0x01;
constexpr std::uint32_t kUserFlagMailbox = 0x02;
constexpr std::uint32_t kNewUserFlags = kUserFlagPop3 | kUserFlagMailbox;

// A fresh record for a domain that is not stored yet: its name, the old
// database's location, no flags; the library's reserved bytes zeroed and the
// caller's description left as it is. False when the name does not fit.
bool StartDomain(DomainData& domain, const char* name, const char* oldDatabase);

// A fresh record for a user that the library creates: zeroed, the user id,
// the library's default flags. False when the id does not fit.
bool StartUser(UserData& user, const char* userId);

} // namespace usrvault
