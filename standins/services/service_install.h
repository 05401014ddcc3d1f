// Registering and deleting the running program as a Windows service. Each
// function prints what went wrong on standard error and returns the process
// exit code: 0 on success, 1 on failure.
#pragma once

namespace standins {

// Registers this program under name as an own-process service that starts
// automatically, with its quoted full path as ImagePath. An existing
// registration under that name is updated to the same settings instead.
int InstallThisService(const char* name, const char* displayName);

// Stops the service if it is running (waiting up to 15 seconds) and deletes it.
int RemoveService(const char* name);

// Explains, on standard error, how a service program is used; returns 2.
int PrintServiceUsage(const char* name);

// Reports on standard error that the program was started outside the service
// control manager (or that connecting to it failed); returns 1.
int ReportDispatcherFailure(const char* name, unsigned long error);

} // namespace standins
