// The rules a user id typed into the add-user wizard must pass, and the
// messages that refuse one.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// A user id has 3 to 29 characters (the wizard keeps it in 30 bytes, and a
// longer one is refused rather than cut).
constexpr std::size_t kMinUserIdLength = 3;
constexpr std::size_t kMaxUserIdLength = 29;

// The characters a user id may not hold, searched for in this order.
inline constexpr char kRefusedUserIdCharacters[] = " ,-=<>!#@";

enum class UserIdProblem { None, Length, Character };

struct UserIdCheck {
    UserIdProblem problem = UserIdProblem::None;
    char character = '\0'; // the refused character (UserIdProblem::Character)
};

// The length first, then each refused character in order over the whole id;
// the first one that occurs anywhere is the one reported.
UserIdCheck CheckUserId(std::string_view userId);

// The message for a refused id: "UserID length error." or "Invalid character
// '%c' in userid!"; empty for an accepted one. False when it did not fit.
bool UserIdMessage(const UserIdCheck& check, std::span<char> out);
