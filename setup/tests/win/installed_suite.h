// What a real installation leaves in the prefix, and putting the prefix back:
// the tests that run the whole work step install, update and remove the suite
// for real.
#pragma once

#include "config/config_test_support.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace setup_test {

// The address the sandbox gives the machine's one network adapter.
inline constexpr const char* kAdapterAddress = "192.168.7.10";

// For the length of a test: the machine has one TCP/IP adapter with
// kAdapterAddress, and nothing of the suite is installed. When the object goes,
// the suite's services are stopped and deleted, its registry tree, program
// group, applet and installation folders removed, HOSTS and the TCP/IP
// values put back.
class SuiteSandbox {
  public:
    explicit SuiteSandbox(std::vector<std::string> installFolders = {});
    ~SuiteSandbox();
    SuiteSandbox(const SuiteSandbox&) = delete;
    SuiteSandbox& operator=(const SuiteSandbox&) = delete;

  private:
    void Clear() const;
    std::vector<std::string> installFolders_;
    std::optional<std::string> hosts_;
    config_test::SavedValue bind_;    // the TCP/IP binding, put back last
    config_test::ScratchKey adapter_; // the adapter's key, removed at the end
};

// Copies the build's distribution folder (every file the description file
// lists, the real pstsuite.inf) into `folder`; false, copying nothing, when
// the build names no distribution folder with a description file.
bool CopySuiteDistribution(const std::string& folder);

// The HOSTS file's path and text.
std::string HostsPath();
std::string HostsText();
// The Start-menu folder of the program group "Postern".
std::string GroupFolder();
// The applet's place in the system directory.
std::string SystemApplet();

// A service's ImagePath, or "" when it is not registered.
std::string ServiceImagePath(const std::string& name);
bool ServiceRunning(const std::string& name);

std::vector<std::string> SubkeyNames(const std::string& keyPath);
std::string TextValue(const std::string& keyPath, const char* name);
// The flags word of a user of a domain, read through the user-database
// library, or nothing when there is no such user.
std::optional<std::uint32_t> StoredUserFlags(const std::string& domain, const std::string& user);
// The target of an alias stored in a domain, or nothing.
std::optional<std::string> StoredAlias(const std::string& domain, const std::string& alias);

} // namespace setup_test
