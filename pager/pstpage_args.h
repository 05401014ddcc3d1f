// Command line of pstpage, the command-line page sender.
#pragma once

#include <string>
#include <vector>

namespace pager {

struct PageRequest {
    std::string pagerId;
    std::string phoneNumber;
    std::string initString = "ATE0";
    std::string message; // "-" means: read it from standard input
    unsigned port = 0;
    long speed = 0;
};

inline constexpr int kUsageError = 2;

extern const char kPstpageUsage[];

// Parses the arguments after the program name. Returns 0, or kUsageError with
// a one-line reason in error.
int ParsePageArguments(const std::vector<std::string>& args, PageRequest& request,
                       std::string& error);

// A message read from standard input: line ends become CR (which the page
// carries as a space) and the final line end is dropped.
std::string MessageFromInput(const std::string& input);

} // namespace pager
