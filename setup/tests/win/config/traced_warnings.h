// The installer's warnings as this process traces them. SetupWarning always
// sends "pstsetup: warning: TEXT" to the debugger's output, whether or not a
// toolkit frame takes the warning too (a test that calls the installer's code
// has none). OutputDebugStringA raises DBG_PRINTEXCEPTION_C before anything
// else sees the text, and a vectored exception handler catches it there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace config_test {

// Collects the warnings traced by any thread of the process while it exists;
// one at a time.
class TracedWarnings {
  public:
    TracedWarnings();
    ~TracedWarnings();
    TracedWarnings(const TracedWarnings&) = delete;
    TracedWarnings& operator=(const TracedWarnings&) = delete;

    // The texts after "warning: ", in order.
    std::vector<std::string> Texts() const;
    // Those that contain `word`.
    std::vector<std::string> Mentioning(const std::string& word) const;

  private:
    void* handler_;
};

} // namespace config_test
