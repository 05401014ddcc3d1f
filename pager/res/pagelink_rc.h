// Resource ids shared by pagelink.rc and the dialog code.
#pragma once

// DLG_ALPHAPAGE controls.
#define IDC_PORT 1000
#define IDC_BAUD300 1001
#define IDC_TERMINAL 1002
#define IDC_PASSWORD 1003
#define IDC_PAGERID 1004
#define IDC_INITSTRING 1005
#define IDC_MESSAGE 1006
