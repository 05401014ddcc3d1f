// Checking full directory paths for FValidDir.
#include "dir_rules.h"

namespace stf {

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Checks the backslash-separated components of rest; `required` of them must
// be there (the UNC server and share).
const char* ComponentsFault(std::string_view rest, std::size_t required) {
    std::size_t count = 0;
    while (!rest.empty()) {
        std::size_t slash = rest.find('\\');
        std::string_view part = rest.substr(0, slash);
        if (part.empty())
            return "empty path component";
        if (part.back() == '.' || part.back() == ' ')
            return "a path component ends in a dot or a space";
        ++count;
        if (slash == std::string_view::npos)
            break;
        rest = rest.substr(slash + 1);
        if (rest.empty())
            break; // a final backslash
    }
    return count < required ? "a network path needs \\\\server\\share" : nullptr;
}

} // namespace

const char* DirectoryFault(std::string_view path) {
    if (path.empty())
        return "empty path";
    if (path.size() > kMaxDirectoryLength)
        return "path longer than 247 characters";
    for (std::size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 32)
            return "control character in the path";
        // '/' too: Windows takes it for a separator, which would let "..",
        // "." and empty components past the component checks.
        if (std::string_view("<>\"|*?/").find(static_cast<char>(c)) != std::string_view::npos)
            return "one of < > \" | * ? / in the path";
        if (c == ':' && i != 1)
            return "':' other than after the drive letter";
    }
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return ComponentsFault(path.substr(3), 0);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\')
        return ComponentsFault(path.substr(2), 2);
    return "not a full path (X:\\... or \\\\server\\share\\...)";
}

} // namespace stf
