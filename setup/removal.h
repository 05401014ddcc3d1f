// Shutting the installed suite down before the work step touches it, and
// removing what the suite registered with the system.
#pragma once

// Closes the delivery program's windows, then stops the suite's eight services
// (keeping the was-running flags) and, in a new installation or a removal,
// deletes every service but TERMSVC. Nothing in it waits without a bound.
void ShutDownSuite();

// Sends WM_CLOSE to every top-level window whose class is exactly RELAYWND or
// RELAYOUT, one after the other, waiting up to 30 s for each to handle it (a
// window whose program is already hung is given up at once; one that hangs
// while handling the message costs the whole 30 s). A window that does not
// answer is a warning naming its class, handle and process and why; the walk
// goes on with the next window.
void CloseDeliveryWindows();

// The removal: deletes the control-panel applet from the system directory,
// tells the user-database library, empties the suite's registry tree and
// names the directory the operator must delete by hand.
void RemoveInstallation();

// Deletes every subkey of keyPath (under HKEY_LOCAL_MACHINE), depth first; the
// key itself stays, with its values. 1 when it is left without subkeys.
int DeleteRegistryTree(const char* keyPath);
