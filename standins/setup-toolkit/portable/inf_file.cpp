// Reads the INF file's text into the bounded InfFile structure and refuses
// every line that would copy outside the source or destination folder.
#include "inf_file.h"

#include "common/letter_case.h"
#include "common/bounded_format.h"

#include <algorithm>

namespace stf {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kForbidden = "<>:\"/\\|?*";
constexpr std::string_view kDevices[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
// Longest piece of a line quoted in a reason.
constexpr int kQuoteMax = 60;

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// The line up to its comment: a ';' at its start or after a blank or tab.
std::string_view WithoutComment(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == ';' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t'))
            return line.substr(0, i);
    return line;
}

bool SameText(std::string_view a, std::string_view b) {
    return postern::SameTextAZ(a, b);
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 32;
}

bool HasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), IsControl);
}

std::string_view TextOf(const std::array<char, kInfPathSize>& text) {
    return std::string_view(text.data(), postern::BoundedLength(text));
}

struct Parser {
    InfFile& file;
    InfError& error;
    bool checkSyntax;
    std::uint32_t line = 0;

    bool Fail(const char* reason) {
        error.line = line;
        postern::CopyText(error.reason, reason);
        return false;
    }

    // A line that is neither a header nor an entry: refused or skipped.
    bool NotALine(const char* reason) {
        if (checkSyntax)
            return Fail(reason);
        ++file.skippedLines;
        return true;
    }

    // Why one component of a path is not a valid file name, into reason.
    bool FailName(const char* what, std::string_view path, std::string_view name) {
        std::array<char, 48> fault{};
        if (name.empty())
            postern::CopyText(fault, "an empty component");
        else if (name == "." || name == "..")
            postern::FormatText(fault, "a \"%.*s\" component", static_cast<int>(name.size()),
                                name.data());
        else if (const auto bad = std::find_if(name.begin(), name.end(), IsControl);
                 bad != name.end())
            postern::FormatText(fault, "control character 0x%02X",
                                static_cast<unsigned>(static_cast<unsigned char>(*bad)));
        else if (const auto pos = name.find_first_of(kForbidden); pos != std::string_view::npos)
            postern::FormatText(fault, "a '%c' in a file name", name[pos]);
        else if (name.back() == '.' || name.back() == ' ')
            postern::CopyText(fault, "a name ending in a dot or a blank");
        else
            postern::FormatText(fault, "the device name \"%.*s\"", static_cast<int>(name.size()),
                                name.data());
        std::array<char, kInfReasonSize> reason{};
        if (HasControl(path))
            postern::FormatText(reason, "%s: %s", what, fault.data());
        else
            postern::FormatText(reason, "%s \"%.*s\": %s", what,
                                static_cast<int>(std::min<std::size_t>(path.size(), kQuoteMax)),
                                path.data(), fault.data());
        return Fail(reason.data());
    }

    // A relative path under its folder: components separated by '\'.
    bool CheckPath(const char* what, std::string_view path) {
        std::array<char, kInfReasonSize> reason{};
        const int shown = static_cast<int>(std::min<std::size_t>(path.size(), kQuoteMax));
        if (path.size() >= kInfPathSize) {
            postern::FormatText(reason, "%s longer than %zu characters", what, kInfPathSize - 1);
            return Fail(reason.data());
        }
        const bool drive =
            path.size() >= 2 && path[1] == ':' &&
            ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
        if (path.front() == '\\' || path.front() == '/' || drive) {
            if (HasControl(path))
                postern::FormatText(reason, "%s is an absolute path", what);
            else
                postern::FormatText(reason, "%s \"%.*s\" is an absolute path", what, shown,
                                    path.data());
            return Fail(reason.data());
        }
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = path.find('\\', start);
            const std::string_view name = path.substr(
                start, end == std::string_view::npos ? std::string_view::npos : end - start);
            if (!ValidFileName(name))
                return FailName(what, path, name);
            if (end == std::string_view::npos)
                return true;
            start = end + 1;
        }
    }

    bool Header(std::string_view text) {
        if (text.back() != ']')
            return NotALine("section header without a closing ']'");
        const std::string_view name = Trim(text.substr(1, text.size() - 2));
        if (name.empty())
            return NotALine("section header without a name");
        if (name.find_first_of("[]") != std::string_view::npos || HasControl(name))
            return NotALine("section name with '[', ']' or a control character");
        std::array<char, kInfReasonSize> reason{};
        if (name.size() >= kInfSectionNameSize) {
            postern::FormatText(reason, "section name longer than %zu characters",
                                kInfSectionNameSize - 1);
            return Fail(reason.data());
        }
        if (const int earlier = FindInfSection(file, name); earlier >= 0) {
            postern::FormatText(
                reason, "section [%.*s] appears twice (first at line %u)",
                static_cast<int>(name.size()), name.data(),
                static_cast<unsigned>(file.sections[static_cast<std::size_t>(earlier)].line));
            return Fail(reason.data());
        }
        if (file.sectionCount == kInfMaxSections) {
            postern::FormatText(reason, "more than %zu sections", kInfMaxSections);
            return Fail(reason.data());
        }
        InfSection& section = file.sections[file.sectionCount++];
        section.name.fill('\0');
        std::copy(name.begin(), name.end(), section.name.begin());
        section.line = line;
        return true;
    }

    bool Entry(std::string_view text) {
        std::string_view dest = text;
        std::string_view source = text;
        if (const std::size_t equals = text.find('='); equals != std::string_view::npos) {
            dest = Trim(text.substr(0, equals));
            source = Trim(text.substr(equals + 1));
            if (dest.empty() || source.empty())
                return NotALine("entry with nothing on one side of '='");
        }
        if (file.sectionCount == 0)
            return Fail("entry before the first section header");
        if (!CheckPath("destination", dest) || !CheckPath("source", source))
            return false;
        const auto section = static_cast<std::uint32_t>(file.sectionCount - 1);
        std::array<char, kInfReasonSize> reason{};
        for (std::size_t i = 0; i < file.entryCount; ++i) {
            const InfEntry& other = file.entries[i];
            if (other.section == section && SameText(TextOf(other.destName), dest)) {
                postern::FormatText(reason, "destination \"%.*s\" named twice (first at line %u)",
                                    static_cast<int>(std::min<std::size_t>(dest.size(), kQuoteMax)),
                                    dest.data(), static_cast<unsigned>(other.line));
                return Fail(reason.data());
            }
        }
        if (file.entryCount == kInfMaxEntries) {
            postern::FormatText(reason, "more than %zu entries", kInfMaxEntries);
            return Fail(reason.data());
        }
        InfEntry& entry = file.entries[file.entryCount++];
        entry.destName.fill('\0');
        entry.sourcePath.fill('\0');
        std::copy(dest.begin(), dest.end(), entry.destName.begin());
        std::copy(source.begin(), source.end(), entry.sourcePath.begin());
        entry.section = section;
        entry.line = line;
        return true;
    }

    bool Line(std::string_view raw) {
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        const std::string_view text = Trim(WithoutComment(raw));
        if (text.empty())
            return true;
        return text.front() == '[' ? Header(text) : Entry(text);
    }
};

} // namespace

bool ValidFileName(std::string_view name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ')
        return false;
    if (HasControl(name) || name.find_first_of(kForbidden) != std::string_view::npos)
        return false;
    // Device names stay devices with any extension and with blanks before it.
    std::string_view base = name.substr(0, name.find('.'));
    base = base.substr(0, base.find_last_not_of(' ') + 1);
    return std::none_of(std::begin(kDevices), std::end(kDevices),
                        [base](std::string_view device) { return SameText(base, device); });
}

int FindInfSection(const InfFile& file, std::string_view name) {
    for (std::size_t i = 0; i < file.sectionCount; ++i) {
        const auto& stored = file.sections[i].name;
        if (SameText(std::string_view(stored.data(), postern::BoundedLength(stored)), name))
            return static_cast<int>(i);
    }
    return -1;
}

bool ParseInf(std::string_view text, bool checkSyntax, InfFile& file, InfError& error) {
    file.sectionCount = 0;
    file.entryCount = 0;
    file.skippedLines = 0;
    error.line = 0;
    error.reason.fill('\0');
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);

    Parser parser{file, error, checkSyntax};
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find('\n', pos);
        const std::string_view raw =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        ++parser.line;
        if (!parser.Line(raw)) {
            file.sectionCount = 0;
            file.entryCount = 0;
            file.skippedLines = 0;
            return false;
        }
    }
    return true;
}

} // namespace stf
