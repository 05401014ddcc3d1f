// The work step after the option dialogs: the copy list with its billboards,
// the work dialogs and the completion dialog.
#pragma once

// Fills the copy list from the description file ("Files", then "F351" on
// Windows NT 3.51 and later or "F35" before) and lists the billboards.
void PrepareCopy();
// Shows the work dialog of the chosen mode (5006 for a new installation,
// 5007 otherwise) and closes it, then, except for a removal, the completion
// dialog.
void RunWorkStep();
// Shows the completion dialog until the operator continues.
void ShowCompletion();
