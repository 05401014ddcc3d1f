// Resource ids shared by pstview.rc and the code. Plain numbers only, so that
// the resource compiler and the portable code can include this file too.
#pragma once

// The program's icon.
#define IDI_PSTVIEW 100

// DLG_MAIN, the status panel. Row i (0..13) has the label IDC_LABEL_FIRST + i and
// the status text IDC_STATUS_FIRST + i.
#define IDC_TOPTEXT 1001
#define IDC_CONFIG 1002
#define IDC_STATUS_FIRST 1101
#define IDC_LABEL_FIRST 1151
#define IDC_VIEW 2000
#define IDC_QUIET 2001

// DLG_LOG, the debug log.
#define IDC_CLEARLOG 1048
#define IDC_LOGEDIT 1049
// Posted by the log window to itself: fill the log once it is fully created.
#define IDM_DUMPLOG 1501
