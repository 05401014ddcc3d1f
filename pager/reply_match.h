// Tests on the modem's latest reply. A reply is a zero-terminated text: a test
// sees only the bytes before its first zero byte. Searches are case-sensitive.
#pragma once

#include <array>
#include <cstddef>

namespace pager {

// At most 100 bytes from the line and a terminating zero.
inline constexpr std::size_t kReplyBytes = 100;
using ReplyBuffer = std::array<char, kReplyBytes + 1>;

bool ReplyContains(const ReplyBuffer& reply, const char* text);
bool ReplyContainsByte(const ReplyBuffer& reply, char byte);
bool ReplyIsEmpty(const ReplyBuffer& reply);

} // namespace pager
