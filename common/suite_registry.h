// Where the suite keeps its configuration in the registry, under
// HKEY_LOCAL_MACHINE: the installer writes these keys, the monitor frontend and
// the suite's services read them. Also the system's keys the installer reads.
// Every key path of the kit is spelled here.
#pragma once

namespace postern {

// The suite's root key and its Global key (TopDir, HostName and the others).
inline constexpr char kSuiteRootKey[] = "SOFTWARE\\Corvane\\Postern";
inline constexpr char kSuiteGlobalKey[] = "SOFTWARE\\Corvane\\Postern\\Global";
// The user-database library's virtual domains, with their users and aliases.
inline constexpr char kSuiteDomainsKey[] = "SOFTWARE\\Corvane\\Postern\\Domains";
// The aliases of an earlier release's single-domain user database, one value
// per alias; converted into the first virtual domain by the installer.
inline constexpr char kSuiteOldAliasesKey[] = "SOFTWARE\\Corvane\\Postern\\_aliases";
// The parent of every service's key: a service's key is this, a backslash and
// the service's name.
inline constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";
// The TCP/IP configuration of Windows NT: the host name and domain, and the
// devices TCP/IP is bound to.
inline constexpr char kTcpipParametersKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
inline constexpr char kTcpipLinkageKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Linkage";

} // namespace postern
