// What a service program was asked to do by its command line. Portable: the
// service programs and their tests share it.
#pragma once

namespace standins {

enum class ServiceCommand {
    Run,     // no arguments: run under the service control manager
    Install, // -installquiet: register (or update) the service, ask nothing
    Remove,  // -remove: stop the service if it runs, then delete it
    Usage,   // anything else
};

// Reads argv[1..]; options start with '-' or '/' and are matched without regard
// to letter case. More than one argument is a usage error.
ServiceCommand ParseServiceCommand(int argc, const char* const* argv);

} // namespace standins
