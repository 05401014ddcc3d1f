// The work step after the option dialogs: the copy list with its billboards,
// shutting the suite down, the removal or the copy with the configuration, the
// program group and the HOSTS entry, and the completion dialog.
#pragma once

// Fills the copy list from the description file ("Files", then "F351" on
// Windows NT 3.51 and later or "F35" before) and lists the billboards.
void PrepareCopy();
// The work sequence of the chosen mode; returns when it is done.
void RunWorkStep();
// Shows the completion dialog until the operator continues.
void ShowCompletion();
// True when a file of that name, relative to the current directory, can be
// opened for reading.
bool FileExists(const char* fileName);
