// The registry library gate: ADVAPI32.DLL loaded by name with the registry
// functions the installer needs, kept loaded for the whole run.
#pragma once

// Loads the library and looks up RegCloseKey, RegCreateKeyA, RegDeleteKeyA,
// RegOpenKeyA, RegQueryValueA and RegSetValueA. On any failure the library is
// unloaded again, the handle cleared, and false returned.
bool LoadRegistryLibrary();
// Unloads the library; safe when nothing is loaded and when called twice.
void ReleaseRegistryLibrary();
