// The proposals of the setup dialogs from an earlier installation.
#pragma once

#include <span>

// Reads TopDir and HostName of the suite's Global key into the given fields
// (79 bytes each, as the suite stores them); an installation found there makes
// "update" the proposed setup mode. Without one, the top directory is
// "C:\POSTERN" and the host name "hostname_not_set". Returns 1.
int ReadInstallDefaults(std::span<char> topDir, std::span<char> hostName);
