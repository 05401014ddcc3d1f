// Parsing pstpage's command line.
#include "pager/pstpage_args.h"

#include <cerrno>
#include <cstdlib>

namespace pager {

const char kPstpageUsage[] =
    "usage: pstpage alpha --port N --phone NUMBER --pager ID [--init TEXT] [--speed SEL]"
    " [--] MESSAGE...\n"
    "  Sends MESSAGE (the words joined by spaces; \"-\" reads it from standard input)\n"
    "  to an alphanumeric pager through the modem on COM<N>. SEL is a speed selector\n"
    "  (0=300 1=1200 2=2400 3=4800 4=9600 ... 9=115200, or a bit rate); default 0.\n"
    "  The modem conversation is printed as it happens.\n"
    "exit status: 0 page accepted, 1 page not sent, 2 usage error\n";

namespace {

bool ParseNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    value = v;
    return true;
}

} // namespace

int ParsePageArguments(const std::vector<std::string>& args, PageRequest& request,
                       std::string& error) {
    if (args.empty() || args[0] != "alpha") {
        error = args.empty() ? "no command given" : "unknown command \"" + args[0] + "\"";
        return kUsageError;
    }
    bool havePort = false, havePhone = false, havePager = false;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--" && !optionsEnded) {
            optionsEnded = true; // every later argument is a message word
            continue;
        }
        const bool isOption = !optionsEnded && a.size() > 2 && a.compare(0, 2, "--") == 0;
        if (!isOption) {
            words.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return kUsageError;
        }
        const std::string& value = args[++i];
        long number = 0;
        if (a == "--port") {
            if (!ParseNumber(value, 1, 255, number)) {
                error = "--port takes a port number from 1 to 255";
                return kUsageError;
            }
            request.port = static_cast<unsigned>(number);
            havePort = true;
        } else if (a == "--phone") {
            request.phoneNumber = value;
            havePhone = true;
        } else if (a == "--pager") {
            request.pagerId = value;
            havePager = true;
        } else if (a == "--init") {
            request.initString = value;
        } else if (a == "--speed") {
            if (!ParseNumber(value, 0, 4000000, number)) {
                error = "--speed takes a selector 0 to 9 or a bit rate";
                return kUsageError;
            }
            request.speed = number;
        } else {
            error = "unknown option " + a;
            return kUsageError;
        }
    }
    if (!havePort || !havePhone || !havePager) {
        error = !havePort ? "--port is required" : !havePhone ? "--phone is required"
                                                             : "--pager is required";
        return kUsageError;
    }
    if (words.empty()) {
        error = "no message given";
        return kUsageError;
    }
    for (std::size_t i = 0; i < words.size(); ++i)
        request.message += (i ? " " : "") + words[i];
    return 0;
}

std::string MessageFromInput(const std::string& input) {
    std::string message;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n')
            continue; // CR LF counts once
        message += input[i] == '\n' ? '\r' : input[i];
    }
    while (!message.empty() && message.back() == '\r')
        message.pop_back();
    return message;
}

} // namespace pager
