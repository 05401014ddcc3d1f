// Contract between the toolkit (MSSHLSTF.dll) and its dialog library
// (mscuistf.dll): control ids, event words, the refresh message and the
// resource that tells an unattended run how to answer a dialog.
// Shared by the dialog library's .rc file, so preprocessor definitions only.
#pragma once

// Buttons. Continue is the default push button; Escape and the close box are
// Cancel.
#define IDC_CONTINUE 1 /* IDOK */
#define IDC_CANCEL 2   /* IDCANCEL */
#define IDC_BACK 101
#define IDC_EXIT 102
#define IDC_HELPBUTTON 103

// Edit dialogs: the one edit field.
#define IDC_EDITFIELD 201

// Radio dialogs: option n is IDC_OPTION1 + n - 1; its digit is n.
#define IDC_OPTION1 301
#define IDC_OPTIONMAX 309

// Copy gauge (in MSSHLSTF.dll's own resources).
#define IDD_COPYGAUGE 100
#define IDC_GAUGEFILE 401
#define IDC_GAUGEBAR 402

// Event words a dialog procedure reports (first two letters identify them).
#define STF_EVENT_CONTINUE "CONTINUE"
#define STF_EVENT_BACK "BACK"
#define STF_EVENT_CANCEL "CANCEL"
#define STF_EVENT_EXIT "EXIT"

// Sent by FDoDialogExt to a dialog that is still open when it is asked for
// again: the procedure reads its symbols anew, as on WM_INITDIALOG.
#define WM_STF_REFRESH (0x8000 + 0x51) /* WM_APP + 0x51 */

// OptionsGreyed applies to one showing of one radio dialog: the toolkit
// empties it once the dialog has reported its event.

// Resource type of the unattended answer of a dialog (same number as the
// dialog). Its text is one of:
//   "key=Mode;new=1;update=2;remove=3"  radio dialog answered from key Mode,
//                                       each word giving the option's digit
//   "key=HostName"                      edit dialog answered from key HostName
//   "refused"                           the previous answer was refused
//   "fatal"                             the run is ending in the fatal stop
// A dialog without it is answered by its procedure's kind: Continue for
// information and modeless dialogs, Continue in the quit confirmation
// unless the run is quitting.
#define STF_ANSWER_TYPE "STFANSWER"
