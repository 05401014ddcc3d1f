// Resource ids of the dialog library that the toolkit's contract
// (toolkit_dialogs.h) does not fix: dialog numbers, the frame bitmap and the
// controls the procedures dress up. Plain numbers only, for the .rc file too.
#pragma once

// The frame's background bitmap (FSetBitmap("mscuistf.dll", 1)).
#define IDB_FRAME 1

// Dialogs, numbered as the installer asks for them.
#define IDD_WELCOME 100
#define IDD_QUIT 200
#define IDD_DESTINATION 300
#define IDD_FATAL 400
#define IDD_COMPLETE 700
#define IDD_INSTALLTYPE 800
#define IDD_USERDATABASE 801
#define IDD_HELP 900
#define IDD_BILLBOARD_RELAY 5001
#define IDD_BILLBOARD_MONITOR 5002
#define IDD_BILLBOARD_PAGING 5003
#define IDD_WORK_FINISHING 5005
#define IDD_WORK_PREPARING 5006
#define IDD_WORK_STOPPING 5007
#define IDD_BADDIRECTORY 6400
#define IDD_HOSTNAME 7801

// The first line of a dialog, and a heading further down, shown in bold.
#define IDC_HEADING 110
#define IDC_SUBHEADING 111
// Radio dialogs: the explanation under option n is IDC_OPTIONNOTE1 + n - 1;
// it is greyed together with its option.
#define IDC_OPTIONNOTE1 321
