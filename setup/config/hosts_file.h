// The mail host's line in the system HOSTS file.
#pragma once

#include <span>

// The HOSTS path: the Windows directory ("C:\WINNT" when it cannot be had)
// followed by "\system32\drivers\etc\HOSTS". False when it does not fit.
bool HostsFilePath(std::span<char> path);

// Makes sure the HOSTS file resolves `hostName` (at least 5 characters) to the
// first address of `addressList` (at least 7 characters) and knows localhost:
// appends "ADDRESS HOST" unless a line already holds the host name (any
// letter case), and "127.0.0.1 localhost" unless a line holds either, each
// line ended with CR LF, after ending a last line that lacks its end. The file
// is created only when it does not exist; no byte already in it is changed.
// Returns 1 when the file holds or received a line for the host, else 0.
int AddHostsEntry(const char* hostName, const char* addressList);
