// Old users' keys (see old_user_key.h).
#include "setup/userdb/old_user_key.h"

#include "common/letter_case.h"
#include "common/bounded_format.h"
#include "common/suite_registry.h"

#include <array>

namespace {

// Keys beside the old users that are never a user's: the suite's own and
// the old aliases, which are converted after the users.
constexpr std::array<std::string_view, 3> kKeptKeys = {"Global", "Domains", "_aliases"};

} // namespace

bool OldUserKeyPath(std::string_view userId, std::span<char> path) {
    if (path.empty())
        return false;
    path[0] = '\0';
    if (userId.empty() || userId.find('\\') != std::string_view::npos ||
        userId.find('\0') != std::string_view::npos)
        return false;
    for (const std::string_view kept : kKeptKeys) {
        if (postern::SameTextAZ(userId, kept))
            return false;
    }
    if (!postern::FormatText(path, "%s\\%.*s", postern::kSuiteRootKey,
                             static_cast<int>(userId.size()), userId.data())) {
        path[0] = '\0';
        return false;
    }
    return true;
}
