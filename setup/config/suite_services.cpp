// Install command lines of the suite's service programs; see suite_services.h.
#include "setup/config/suite_services.h"

#include "common/bounded_format.h"

bool FormatInstallCommand(std::span<char> out, const char* topDir, const SuiteService& service) {
    if (out.empty())
        return false;
    out[0] = '\0';
    if (service.ProgramFile == nullptr || topDir == nullptr)
        return false;
    if (!postern::FormatText(out, "\"%s\\%s\" -installquiet", topDir, service.ProgramFile)) {
        out[0] = '\0';
        return false;
    }
    return true;
}
