// The add-user wizard: at the end of a new installation with the suite's own
// user database, it offers to add users to the mail host's domain one at a
// time (a question, then the user id, the full name and the password).
#pragma once

#include <windows.h>

// Runs the wizard with its dialogs owned by `owner` and taken from
// `instance`'s resources; `domainName` names the domain the users join. A
// user the library does not add is named in an "Install Failed" box before
// the wizard asks again. Returns 1.
int RunAddUserWizard(HWND owner, HINSTANCE instance, const char* domainName);
