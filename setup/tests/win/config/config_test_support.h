// What the Wine-run tests of the installer's configuration steps share:
// registry values saved and restored around a test, scratch keys, whole-file
// reads and writes, and making a file read-only for the test's length.
#pragma once

#include <windows.h>

#include "common/win_test_support.h"

#include <optional>
#include <string>

namespace config_test {

// A registry value under HKEY_LOCAL_MACHINE as it was when the object was
// made (or its absence, and the key's), put back when the object goes.
class SavedValue {
  public:
    SavedValue(const char* keyPath, const char* name);
    ~SavedValue();
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

  private:
    std::string keyPath_;
    std::string name_;
    bool keyExisted_ = false;
    bool existed_ = false;
    DWORD type_ = REG_NONE;
    std::string data_;
};

// A key tree under HKEY_LOCAL_MACHINE that the test makes: removed when the
// object is made and again when it goes.
class ScratchKey {
  public:
    explicit ScratchKey(std::string keyPath);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

  private:
    std::string keyPath_;
};

// Writes a value under HKEY_LOCAL_MACHINE (creating the key) with exactly the
// given bytes; false on failure.
bool SetValue(const std::string& keyPath, const char* name, DWORD type, const std::string& bytes);
// A text value with its terminating NUL.
bool SetText(const std::string& keyPath, const char* name, const std::string& text,
             DWORD type = REG_SZ);
// A text value stored without any NUL after it (written as UTF-16 with the
// byte count of the text alone, so that the registry adds no terminator).
bool SetTextWithoutNul(const std::string& keyPath, const char* name, const std::string& text,
                       DWORD type = REG_SZ);
// The stored size of a value in bytes as the wide API reports it, or -1.
long StoredWideBytes(const std::string& keyPath, const char* name);
void DeleteValue(const std::string& keyPath, const char* name);
bool KeyExists(const std::string& keyPath);
// The number of values in a key, or -1 when it cannot be opened.
long ValueCount(const std::string& keyPath);

using postern::ReadFileBytes;
bool WriteBytes(const std::string& path, const std::string& bytes);

// A file made read-only for as long as the object lives. Under Wine, running
// as root writes through missing write bits, so the host file is made
// immutable (chattr +i); on Windows the read-only attribute does.
class ReadOnlyFile {
  public:
    explicit ReadOnlyFile(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    bool Made() const { return made_; }
    const std::string& Problem() const { return problem_; }

  private:
    std::string path_;
    std::string unixPath_;
    bool made_ = false;
    std::string problem_;
};

// The temporary folder, with a trailing backslash.
std::string TempFolder();

// Whether a run log holds the whole line "warning: <text>".
bool LogHasWarning(const std::string& log, const std::string& text);

} // namespace config_test
