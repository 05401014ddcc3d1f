// Substring and single-byte tests on a modem reply.
#include "pager/reply_match.h"

#include "common/bounded_format.h"

#include <string_view>

namespace pager {
namespace {

std::string_view ReplyText(const ReplyBuffer& reply) {
    return {reply.data(), postern::BoundedLength(reply)};
}

} // namespace

bool ReplyContains(const ReplyBuffer& reply, const char* text) {
    return ReplyText(reply).find(text) != std::string_view::npos;
}

bool ReplyContainsByte(const ReplyBuffer& reply, char byte) {
    return byte != '\0' && ReplyText(reply).find(byte) != std::string_view::npos;
}

bool ReplyIsEmpty(const ReplyBuffer& reply) { return reply[0] == '\0'; }

} // namespace pager
