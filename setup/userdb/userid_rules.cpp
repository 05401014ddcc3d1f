// User-id rules (see userid_rules.h).
#include "setup/userdb/userid_rules.h"

#include "common/bounded_format.h"

UserIdCheck CheckUserId(std::string_view userId) {
    if (userId.size() < kMinUserIdLength || userId.size() > kMaxUserIdLength)
        return {UserIdProblem::Length, '\0'};
    for (const char refused : std::string_view(kRefusedUserIdCharacters)) {
        if (userId.find(refused) != std::string_view::npos)
            return {UserIdProblem::Character, refused};
    }
    return {};
}

bool UserIdMessage(const UserIdCheck& check, std::span<char> out) {
    switch (check.problem) {
    case UserIdProblem::Length:
        return postern::CopyText(out, "UserID length error.");
    case UserIdProblem::Character:
        return postern::FormatText(out, "Invalid character '%c' in userid!", check.character);
    case UserIdProblem::None:
        break;
    }
    return postern::CopyText(out, "");
}
