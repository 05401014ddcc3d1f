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

// DLG_MULTI1, the warning before an old single-domain user database is
// converted: its text naming the host and the address count, set at start-up.
#define IDC_DOMAIN_NOTICE 1003
// DLG_CONVERTING: the progress line, the old entries and the converted users.
#define IDC_PROGRESS_LINE 1003
#define IDC_OLD_ENTRIES 1012
#define IDC_CONVERTED_USERS 1013
