// The proposals of the setup dialogs: top directory and mail host name from an
// earlier installation, the TCP/IP configuration or the legacy INI file, and
// the machine's address list.
#pragma once

#include <span>

// The legacy INI file of early releases and its defaults.
inline constexpr char kLegacyIniName[] = "POSTERN.INI";
inline constexpr char kDefaultTopDir[] = "C:\\POSTERN";
inline constexpr char kDefaultHostName[] = "hostname_not_set";

// Fills `topDir` and `hostName` (the session's fields), and the session's
// AddressList and LegacyIniPath. The top directory comes from TopDir of the
// suite's Global key (then "update" is the proposed setup mode, TypeDefault
// "2"), else from MAILDIR of the legacy INI file, else "C:\POSTERN"; the host
// name from HostName of the Global key, else from TCP/IP, else from HOSTNAME
// of the INI file, else "hostname_not_set". The Global key is created when it
// is missing. Returns 1.
int ReadInstallDefaults(std::span<char> topDir, std::span<char> hostName);
