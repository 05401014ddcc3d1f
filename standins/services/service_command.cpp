// Command-line reading of the service programs; see service_command.h.
#include "standins/services/service_command.h"

#include "common/letter_case.h"

namespace standins {

namespace {

// Compares an option word (after its '-' or '/') with name, folding A to Z only.
bool OptionIs(const char* arg, const char* name) {
    if (arg[0] != '-' && arg[0] != '/')
        return false;
    return postern::SameTextAZ(arg + 1, name);
}

} // namespace

ServiceCommand ParseServiceCommand(int argc, const char* const* argv) {
    if (argc <= 1)
        return ServiceCommand::Run;
    if (argc > 2 || argv[1] == nullptr)
        return ServiceCommand::Usage;
    if (OptionIs(argv[1], "installquiet"))
        return ServiceCommand::Install;
    if (OptionIs(argv[1], "remove"))
        return ServiceCommand::Remove;
    return ServiceCommand::Usage;
}

} // namespace standins
