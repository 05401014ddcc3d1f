// Service control for setup: starting, stopping and deleting the suite's
// services through the service control manager, and the passes the installer
// runs over them (stop, delete, install and start, update). The five
// was-running flags live in the session.
#pragma once

// Operations of ControlSuiteService.
constexpr int kStartOperation = 1;
constexpr int kStopOperation = 2;

// Starts (operation 1) or stops (operation 2) the service; any other operation
// does nothing. A stop waits until the service has stopped, checking its status
// every 100 ms for up to 15 s, and then, when the service has a process of its
// own, up to 5 s more for that process to end (a service reports that it
// stopped before its program has exited, and the copy that follows needs the
// program free). A service still stopping after 15 s, or whose process is still
// running 5 s after the stop, is a warning (its re-registration may fail until
// the machine restarts or the process ends). Nonzero when the request was
// accepted.
int ControlSuiteService(const char* serviceName, int operation);
// Nonzero when the service was marked for deletion.
int DeleteSuiteService(const char* serviceName);
// Stops the service when its key holds an ImagePath value of any length (it is
// installed); the result of the stop request, else 0.
int StopInstalledService(const char* serviceKeyPath, const char* serviceName);

// Stop pass: stops every installed service in table order; PLANSVC, DIRSVC,
// PASSSVC, WATCHSVC and TERMSVC leave their results in the was-running flags.
void StopSuiteServices();
// Delete pass: deletes RELAYSVC, DROPSVC, PLANSVC, DIRSVC, PASSSVC, LOGSVC and
// WATCHSVC; TERMSVC is never deleted.
void DeleteSuiteServices();
// New installation: each service program in `topDir` registers itself
// (LOGSVC, then RELAYSVC, DROPSVC, PLANSVC, DIRSVC, PASSSVC, WATCHSVC); only
// LOGSVC and PASSSVC are started. Each install command is waited for (at most
// 30 s); one that cannot be started, ends with a non-zero status or runs
// longer is a warning, and the pass goes on.
void InstallAndStartServices(const char* topDir);
// Update: starts LOGSVC, RELAYSVC and DROPSVC, then PASSSVC, PLANSVC and DIRSVC
// when they were running, then WATCHSVC when it was running (otherwise its
// program registers it, as in a new installation).
void RestartSuiteServices(const char* topDir);
// An update that stops before it installs anything: the update's start pass
// without install commands (LOGSVC, RELAYSVC and DROPSVC, then PASSSVC,
// PLANSVC, DIRSVC, WATCHSVC and TERMSVC when they were running), so the
// server runs again as it did before the run.
void RestartServicesAsTheyWere();
// After either: starts TERMSVC when it was running.
void StartTermsvcIfItRan();
