// The exported alphanumeric page: claim the slot, open the port, run the
// conversation, close the port, free the slot.
#include "pager/pagelink.h"

#include "pager/alpha_session.h"
#include "pager/com_line.h"
#include "pager/port_claim.h"

using namespace pager;

extern "C" int WINAPI SendAlphaMessage(HWND traceWindow, const char* initString,
                                       const char* phoneNumber, const char* pagerId,
                                       const char* message, unsigned portNumber,
                                       int speedSelector) {
    ComLine line(traceWindow);
    // A missing ID or number shows as empty here; the session's checks refuse it.
    TraceFormat(line, "Sending message to %s via %s on COM%u\r\n", pagerId ? pagerId : "",
                phoneNumber ? phoneNumber : "", portNumber);
    if (!ClaimPort(line, kAlphanumericTransaction))
        return 0;
    int result = 0;
    if (line.OpenModemPort(portNumber, speedSelector, PageKind::Alphanumeric)) {
        result = AlphaSession(line, initString, phoneNumber, pagerId, message);
        line.ClosePort();
    }
    ReleasePort();
    return result;
}
