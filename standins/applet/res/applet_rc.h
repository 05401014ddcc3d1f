// Resource ids shared by postern_cpl.rc and the dialog code.
#pragma once

// DLG_MONITOR controls (OK and Cancel are IDOK and IDCANCEL).
#define IDC_POLLTIME 1001
