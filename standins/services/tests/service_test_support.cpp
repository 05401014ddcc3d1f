// Helpers of the Wine-run service tests; see service_test_support.h.
#include "service_test_support.h"

std::string ProgramDir() {
    std::string dir = "Z:" SERVICES_BUILD_DIR "/"; // a Unix path on Wine's Z: drive
    for (char& c : dir)
        c = c == '/' ? '\\' : c;
    return dir;
}

RunResult RunProgram(const std::string& program, const std::string& arguments) {
    const postern::ProcessResult run = postern::RunProcess(
        "\"" + ProgramDir() + program + "\" " + arguments, {.captureOutput = true});
    if (!run.Started())
        return {postern::kNoExitStatus,
                "CreateProcessA failed, error " + std::to_string(run.startError)};
    return {run.exitStatus, run.output};
}

ServiceCleanup::ServiceCleanup(std::initializer_list<const char*> names) : names_(names) {
    RemoveAll();
}

ServiceCleanup::~ServiceCleanup() {
    RemoveAll();
}

void ServiceCleanup::RemoveAll() const {
    for (const char* name : names_)
        postern::RemoveNamedService(name);
}
