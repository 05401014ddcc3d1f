// Trace lines of the installer's steps that go on after a failure, and the
// warnings among them that the operator or the script that ran the installer
// must see to (a service that did not stop, a HOSTS file that cannot be
// written, users left unconverted).
#pragma once

#include "common/bounded_format.h"

#include <windows.h>

// Formats one trace line (cut to fit 511 characters with its prefix) and sends
// it to the system debugger output, prefixed "pstsetup: ".
void SetupTrace(const char* format, ...) POSTERN_PRINTF(1, 2);

// Something the run passed over that needs a hand: traced like SetupTrace and
// handed to the toolkit, which writes it to the run log at once as a
// "warning: " line (line breaks become spaces). An unattended run that
// completes with a warning ends with status 4.
void SetupWarning(const char* format, ...) POSTERN_PRINTF(1, 2);

// A failure the operator is told of in a box with the stop icon and an OK
// button ("Install Failed", "De-Install Failed"): the box's caption and text
// become a warning first.
void ShowFailureBox(HWND owner, const char* text, const char* caption);
