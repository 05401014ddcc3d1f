// Moving an earlier release's single-domain user database into the first
// virtual domain, named after the mail host: the warning that asks the
// operator, and the conversion of the old users and aliases through usrvault.
#pragma once

#include <windows.h>

// When the suite's Global key shows an installation older than virtual
// domains (InstDate without MultiFlag), shows the warning DLG_MULTI1 and, on
// "Convert Database", converts the old database. Returns 1 to go on with the
// installation, 0 when the operator cancelled it (nothing was changed).
int CheckMultiDomainUpgrade();

// Creates the host's domain and moves every old user and alias into it,
// showing the progress in DLG_CONVERTING (owned by `owner`, taken from
// `instance`'s resources). An old user's key goes once the library has added
// the user, an old alias once the library has taken it, and the old aliases
// key once none is left in it. When the progress dialog or the domain cannot
// be made, nothing is converted. Whatever stays in the old database is named
// in an "Install Failed" box, and the session's ConversionIncomplete keeps
// the conversion offered for the next update. Returns the users converted
// plus the aliases the library took.
int ConvertUserDatabase(HWND owner, HINSTANCE instance);
