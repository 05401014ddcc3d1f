// The operations of the user database behind usrvault's exports. Each returns
// the export's result and, when it is 0 (or when it says why), a short reason
// in `why` for the call log.
#pragma once

#include <windows.h>

#include "vault_records.h"

#include <span>

namespace usrvault {

// ---- the database of virtual domains (domain_store.cpp) ----
int OpenDatabase(std::span<char> why);
int ReadDomain(DomainData& domain, const char* name, std::span<char> why);
int WriteDomain(const DomainData& domain, std::span<char> why);
int FindUser(UserData& user, const DomainData& domain, const char* userId, std::span<char> why);
int AddUser(const UserData& user, const DomainData& domain, std::span<char> why);
int AddAlias(const DomainData& domain, const char* alias, const char* target, std::span<char> why);
int CountAddresses(std::span<char> why);

// ---- the old single-domain database (old_database.cpp) ----
int ReadOldUser(UserData& user, const char* oldDatabase, const char* userId, std::span<char> why);
int ListOldUsers(HWND listBox, const char* oldDatabase, bool reset, std::span<char> why);
int ListOldAliases(HWND listBox, bool reset, std::span<char> why);

} // namespace usrvault
