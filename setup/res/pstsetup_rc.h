// Resource ids shared by pstsetup.rc and the installer's dialog code. The
// templates themselves are named by text (DLG_ADDMORE, DLG_USERID, ...).
#pragma once

// Every data dialog of the add-user wizard: the prompt, the edit field and
// the help text under it.
#define IDC_PROMPT 1003
#define IDC_FIELD 1000
#define IDC_HELP_TEXT 1004

// DLG_ADDMORE: the question, replaced after the first showing.
#define IDC_QUESTION 1015
