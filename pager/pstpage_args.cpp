// Parsing pstpage's command line.
#include "pager/pstpage_args.h"

#include <cerrno>
#include <cstdlib>
#include <cctype>
#include <cstring>

namespace pager {

const char kPstpageUsage[] =
    "usage: pstpage alpha --port N --phone NUMBER --pager ID [--init TEXT] [--speed SEL]"
    " [--] MESSAGE...\n"
    "       pstpage numeric --port N [--init TEXT] [--speed SEL] [--wait MS] [--]"
    " FORMAT [VALUE1 [VALUE2]]\n"
    "  alpha:   sends MESSAGE (the words joined by spaces; \"-\" reads it from standard\n"
    "           input) to an alphanumeric pager through the modem on COM<N>; init\n"
    "           defaults to ATE0, speed to 0 (300 bit/s).\n"
    "  numeric: dials FORMAT (wsprintf style, at most two conversions: %s takes a\n"
    "           VALUE as text, %d %i %u %x %X %c as a number) with a carriage return,\n"
    "           waits 2 s per comma plus 1 s and MS more, and hangs up; init defaults\n"
    "           to AT, speed to 1 (1200 bit/s).\n"
    "  SEL is a speed selector (0=300 1=1200 2=2400 3=4800 4=9600 ... 9=115200) or a\n"
    "  bit rate. The modem conversation is printed as it happens.\n"
    "exit status: 0 page accepted (alpha) or dial command sent (numeric),\n"
    "             1 not sent, 2 usage error\n";

namespace {

bool ParseNumber(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    value = v;
    return true;
}

// Options shared by both kinds, and the ones of each kind. Returns false with
// error set for an unknown option or a bad value.
bool ApplyOption(const std::string& option, const std::string& value, PageRequest& r,
                 std::string& error) {
    long long number = 0;
    if (option == "--port") {
        if (!ParseNumber(value, 1, 255, number)) {
            error = "--port takes a port number from 1 to 255";
            return false;
        }
        r.port = static_cast<unsigned>(number);
    } else if (option == "--init") {
        r.initString = value;
        r.haveInit = true;
    } else if (option == "--speed") {
        if (!ParseNumber(value, 0, 4000000, number)) {
            error = "--speed takes a selector 0 to 9 or a bit rate";
            return false;
        }
        r.speed = static_cast<long>(number);
    } else if (option == "--phone" && !r.numeric) {
        r.phoneNumber = value;
    } else if (option == "--pager" && !r.numeric) {
        r.pagerId = value;
    } else if (option == "--wait" && r.numeric) {
        if (!ParseNumber(value, 0, 3600000, number)) {
            error = "--wait takes milliseconds from 0 to 3600000";
            return false;
        }
        r.waitMs = static_cast<std::uint32_t>(number);
    } else {
        error = "unknown option " + option + " for " + (r.numeric ? "numeric" : "alpha");
        return false;
    }
    return true;
}

bool TypeDialValues(const std::vector<std::string>& words, PageRequest& r, std::string& error) {
    if (words.empty()) {
        error = "no dial format given";
        return false;
    }
    r.dialFormat = words[0];
    std::vector<DialValueKind> kinds;
    if (!DialFormatConversions(r.dialFormat, kinds, error))
        return false;
    if (words.size() - 1 != kinds.size()) {
        error = "the dial format takes " + std::to_string(kinds.size()) + " value(s), " +
                std::to_string(words.size() - 1) + " given";
        return false;
    }
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        DialValue v;
        v.kind = kinds[i];
        v.text = words[i + 1];
        long long number = 0;
        if (v.kind == DialValueKind::Number) {
            if (!ParseNumber(v.text, INT32_MIN, UINT32_MAX, number)) {
                error = "value " + std::to_string(i + 1) + " (\"" + v.text +
                        "\") is not a 32-bit number";
                return false;
            }
            v.number = static_cast<std::uint64_t>(number);
        }
        r.values.push_back(v);
    }
    return true;
}

} // namespace

bool DialFormatConversions(const std::string& format, std::vector<DialValueKind>& kinds,
                           std::string& error) {
    kinds.clear();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (++i >= format.size()) {
            error = "the dial format ends in a lone %";
            return false;
        }
        if (format[i] == '%')
            continue;
        // Flags, width and precision (digits only), then an optional size.
        while (i < format.size() && std::strchr("-#0+ ", format[i]))
            ++i;
        while (i < format.size() && (std::isdigit(static_cast<unsigned char>(format[i])) ||
                                     format[i] == '.'))
            ++i;
        while (i < format.size() && (format[i] == 'l' || format[i] == 'h'))
            ++i;
        const char type = i < format.size() ? format[i] : '\0';
        if (type == 's') {
            kinds.push_back(DialValueKind::Text);
        } else if (type != '\0' && std::strchr("diuxXc", type)) {
            kinds.push_back(DialValueKind::Number);
        } else {
            error = "the dial format has a conversion pstpage cannot type";
            return false;
        }
        if (kinds.size() > 2) {
            error = "the dial format has more than two conversions";
            return false;
        }
    }
    return true;
}

int ParsePageArguments(const std::vector<std::string>& args, PageRequest& request,
                       std::string& error) {
    if (args.empty() || (args[0] != "alpha" && args[0] != "numeric")) {
        error = args.empty() ? "no command given" : "unknown command \"" + args[0] + "\"";
        return kUsageError;
    }
    request = PageRequest{};
    request.numeric = args[0] == "numeric";
    request.speed = request.numeric ? 1 : 0;
    request.initString = request.numeric ? "" : "ATE0";
    bool havePort = false;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--" && !optionsEnded) {
            optionsEnded = true; // every later argument is a message word or value
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
        if (!ApplyOption(a, args[++i], request, error))
            return kUsageError;
        havePort = havePort || a == "--port";
    }
    if (!havePort) {
        error = "--port is required";
        return kUsageError;
    }
    if (request.numeric)
        return TypeDialValues(words, request, error) ? 0 : kUsageError;
    if (request.phoneNumber.empty() || request.pagerId.empty()) {
        error = request.phoneNumber.empty() ? "--phone is required" : "--pager is required";
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
