// What the suite's servers tell the Syslog server: a line per event, kept in
// the file syslog.txt beside the Syslog program while LOGSVC runs. A server
// that stops after LOGSVC has stopped is not heard, as with the real one.
#pragma once

namespace standins {

// Appends "<text>" as one line to syslog.txt in this program's folder when
// `service` is LOGSVC itself or LOGSVC is running (or stopping); otherwise the
// line is lost. Failures are ignored: the servers never depend on the log.
void TellSyslog(const char* service, const char* text);

} // namespace standins
