// Command line of pstpage, the command-line page sender.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pager {

enum class DialValueKind { Text, Number };

// One value for a conversion of a numeric page's dial format.
struct DialValue {
    DialValueKind kind = DialValueKind::Number;
    std::string text;        // the argument as given
    std::uint64_t number = 0; // its value, for a numeric conversion
};

struct PageRequest {
    bool numeric = false;
    unsigned port = 0;
    long speed = 0;           // alpha: 0 (300 bit/s); numeric: 1 (1200 bit/s)
    bool haveInit = false;
    std::string initString;   // alpha default "ATE0"; numeric default none ("AT")
    // Alphanumeric page.
    std::string pagerId;
    std::string phoneNumber;
    std::string message;      // "-" means: read it from standard input
    // Numeric page.
    std::string dialFormat;
    std::vector<DialValue> values; // one per conversion, at most two
    std::uint32_t waitMs = 0;
};

inline constexpr int kUsageError = 2;

extern const char kPstpageUsage[];

// Parses the arguments after the program name. Returns 0, or kUsageError with
// a one-line reason in error.
int ParsePageArguments(const std::vector<std::string>& args, PageRequest& request,
                       std::string& error);

// The value kinds that a dial format's conversions take, in order ("%s" takes
// text; d, i, u, x, X, c take a number; "%%" takes none). Returns false with a
// reason for a conversion it cannot type (such as "*" widths or floating point)
// or for more than two conversions.
bool DialFormatConversions(const std::string& format, std::vector<DialValueKind>& kinds,
                           std::string& error);

// A message read from standard input: line ends become CR (which the page
// carries as a space) and the final line end is dropped.
std::string MessageFromInput(const std::string& input);

} // namespace pager
