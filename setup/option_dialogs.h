// The option dialogs of the installer and the loop that walks them. Each
// operation is modal to the operator and returns only when its dialog is
// closed; Exit (and Cancel where the table of the dialog says so) opens the
// quit confirmation, which returns or ends the run.
#pragma once

void ShowWelcome();
void AskSetupMode();
bool AskUserDatabase();
bool AskHostName();
bool AskDestination();
// Returns only when the operator does not quit; Exit there ends the run.
void ConfirmQuit();
void ShowBadDirectory();

// The order of the option dialogs: installation type, then (new installation
// on NT 3.51 or later) user database, host name and destination; anything not
// accepted goes back to the installation type. Removal asks nothing more.
void RunOptionDialogs();
