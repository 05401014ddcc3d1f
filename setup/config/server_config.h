// The configuration writer: at the end of a new installation or an update, the
// suite's registry configuration, its working directories, the mail host's
// domain in the user database, the services, the control-panel applet and the
// first users, in one fixed order.
#pragma once

// Writes the configuration for the top directory (no trailing backslash), the
// users directory and the mail host name; newInstallation is 1 for a new
// installation, 0 for an update. Reads LegacyIniPath, UserDbOption, Instance,
// ConversionIncomplete (MultiFlag is then left unwritten) and the services'
// was-running flags of the session. Returns 1.
int WriteServerConfiguration(const char* topDir, const char* usersDir, const char* hostName,
                             int newInstallation);

// Stores value as a REG_DWORD under the key that section stands for (see
// SectionKeyPath), creating the key. Returns 0; failures are silent.
int WriteServiceDword(const char* section, const char* valueName, unsigned long value);

// The key path of a section name in one shared buffer; returns its length.
int ResolveSectionKey(const char* section);
const char* ResolvedSectionKey();

// Creates path and, when that fails, its missing parents first. Returns 0 when
// the last attempt to create path succeeded, -1 otherwise (also when it exists).
int CreateDirectoryTree(const char* path);

// Copies fileName from the current directory into directory, replacing a copy
// there.
void CopyFileInto(const char* directory, const char* fileName);
