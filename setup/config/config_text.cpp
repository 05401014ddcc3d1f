// Section keys and the installation date; see config_text.h.
#include "setup/config/config_text.h"

#include "common/letter_case.h"
#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "setup/config/suite_services.h"

namespace {

bool SameName(const char* a, const char* b) {
    return postern::SameTextAZ(a, b);
}

} // namespace

std::size_t SectionKeyPath(const char* section, std::span<char> path) {
    if (path.empty())
        return 0;
    path[0] = '\0';
    if (section == nullptr)
        return 0;
    bool fits = false;
    if (SameName(section, "_smtp"))
        fits = postern::FormatText(path, "%s\\Parameters", kSuiteServices[RelaySvc].KeyPath);
    else if (SameName(section, "_pop"))
        fits = postern::FormatText(path, "%s\\Parameters", kSuiteServices[DropSvc].KeyPath);
    else if (SameName(section, "_global"))
        fits = postern::CopyText(path, postern::kSuiteGlobalKey);
    else
        fits = postern::FormatText(path, "%s\\%s", postern::kSuiteRootKey, section);
    if (!fits) {
        path[0] = '\0';
        return 0;
    }
    return postern::BoundedLength(path);
}

bool FormatInstDate(const InstallTime& time, std::span<char> text) {
    return postern::FormatText(text, "%04u%02u%02u-%02u%02u", time.year, time.month, time.day,
                               time.hour, time.minute);
}
