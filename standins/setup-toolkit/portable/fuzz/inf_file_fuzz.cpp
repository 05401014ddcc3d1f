// Fuzzes the INF file reader with arbitrary texts, with and without the
// syntax check.
//
// Checked: a refusal names a line of the text, gives a terminated reason and
// leaves the file empty; an accepted file keeps to its limits, every path is
// relative with valid components (checked here independently) and no "." or
// ".." component, no destination is named twice in a section, sections and
// entries are in line order; a text accepted with the check is accepted
// without it, identically, with no skipped line; and the accepted file,
// written back out as headers and "dest=source" lines, reads back the same.
#include "common/letter_case.h"
#include "common/fuzz_check.h"
#include "inf_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

using namespace stf;

namespace {

template <std::size_t N> std::string Text(const std::array<char, N>& text) {
    const void* end = std::memchr(text.data(), '\0', N);
    FUZZ_CHECK(end != nullptr, "a stored text without its terminating zero");
    return std::string(text.data());
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = postern::LowerAZ(c);
    return text;
}

void CheckPath(const std::string& path) {
    FUZZ_CHECK(!path.empty() && path.size() < kInfPathSize,
               "path length " + std::to_string(path.size()));
    FUZZ_CHECK(path[0] != '\\' && path[0] != '/' && (path.size() < 2 || path[1] != ':'),
               "absolute path " + path);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find('\\', start);
        const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
        FUZZ_CHECK(!name.empty() && name != "." && name != "..",
                   "component \"" + name + "\" of " + path);
        for (char c : name)
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 32 &&
                           std::strchr("<>:\"/|?*", c) == nullptr,
                       "character in " + path);
        FUZZ_CHECK(name.back() != '.' && name.back() != ' ', "trailing dot or blank in " + path);
        FUZZ_CHECK(ValidFileName(name), "component \"" + name + "\" of " + path);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

std::size_t LineCount(std::string_view text) {
    std::size_t lines = 0;
    for (std::size_t pos = 0; pos < text.size(); ++lines) {
        const std::size_t end = text.find('\n', pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
    }
    return lines;
}

void CheckAccepted(const InfFile& file) {
    FUZZ_CHECK(file.sectionCount <= kInfMaxSections, "section count");
    FUZZ_CHECK(file.entryCount <= kInfMaxEntries, "entry count");
    for (std::size_t i = 0; i < file.sectionCount; ++i) {
        const std::string name = Text(file.sections[i].name);
        FUZZ_CHECK(!name.empty(), "an empty section name");
        FUZZ_CHECK(FindInfSection(file, name) == static_cast<int>(i),
                   "section " + name + " not unique");
        if (i > 0)
            FUZZ_CHECK(file.sections[i].line > file.sections[i - 1].line,
                       "sections out of line order");
    }
    for (std::size_t i = 0; i < file.entryCount; ++i) {
        const InfEntry& e = file.entries[i];
        FUZZ_CHECK(e.section < file.sectionCount, "entry of no section");
        FUZZ_CHECK(e.line > file.sections[e.section].line, "entry before its header");
        if (e.section + 1 < file.sectionCount)
            FUZZ_CHECK(e.line < file.sections[e.section + 1].line, "entry after the next header");
        if (i > 0)
            FUZZ_CHECK(e.line > file.entries[i - 1].line &&
                           e.section >= file.entries[i - 1].section,
                       "entries out of order");
        CheckPath(Text(e.destName));
        CheckPath(Text(e.sourcePath));
        for (std::size_t j = 0; j < i; ++j)
            FUZZ_CHECK(file.entries[j].section != e.section ||
                           Lower(Text(file.entries[j].destName)) != Lower(Text(e.destName)),
                       "destination " + Text(e.destName) + " twice");
    }
}

bool SameFile(const InfFile& a, const InfFile& b, bool sameLines) {
    if (a.sectionCount != b.sectionCount || a.entryCount != b.entryCount)
        return false;
    for (std::size_t i = 0; i < a.sectionCount; ++i)
        if (Text(a.sections[i].name) != Text(b.sections[i].name) ||
            (sameLines && a.sections[i].line != b.sections[i].line))
            return false;
    for (std::size_t i = 0; i < a.entryCount; ++i) {
        const InfEntry& x = a.entries[i];
        const InfEntry& y = b.entries[i];
        if (Text(x.destName) != Text(y.destName) || Text(x.sourcePath) != Text(y.sourcePath) ||
            x.section != y.section || (sameLines && x.line != y.line))
            return false;
    }
    return true;
}

std::string WrittenOut(const InfFile& file) {
    std::string text;
    for (std::size_t s = 0; s < file.sectionCount; ++s) {
        text += "[" + Text(file.sections[s].name) + "]\r\n";
        for (std::size_t i = 0; i < file.entryCount; ++i)
            if (file.entries[i].section == s)
                text += Text(file.entries[i].destName) + "=" + Text(file.entries[i].sourcePath) +
                        "\r\n";
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto strict = std::make_unique<InfFile>();
    auto lenient = std::make_unique<InfFile>();
    InfError strictError{};
    InfError lenientError{};
    const bool strictOk = ParseInf(text, true, *strict, strictError);
    const bool lenientOk = ParseInf(text, false, *lenient, lenientError);

    for (const auto& [ok, file, error] : {std::tuple{strictOk, strict.get(), &strictError},
                                          std::tuple{lenientOk, lenient.get(), &lenientError}}) {
        if (ok) {
            CheckAccepted(*file);
            continue;
        }
        FUZZ_CHECK(error->line >= 1 && error->line <= LineCount(text),
                   "refused line " + std::to_string(error->line));
        FUZZ_CHECK(!Text(error->reason).empty(), "a refusal without a reason");
        FUZZ_CHECK(file->sectionCount == 0 && file->entryCount == 0,
                   "a refused file keeps content");
    }
    if (strictOk) {
        FUZZ_CHECK(lenientOk, "accepted with the syntax check, refused without it");
        FUZZ_CHECK(SameFile(*strict, *lenient, true) && lenient->skippedLines == 0,
                   "the syntax check changed an accepted file");
    }
    if (lenientOk) {
        const std::string written = WrittenOut(*lenient);
        auto again = std::make_unique<InfFile>();
        InfError againError{};
        FUZZ_CHECK(ParseInf(written, true, *again, againError),
                   "the written-out file is refused: " + Text(againError.reason));
        FUZZ_CHECK(SameFile(*lenient, *again, false),
                   "the written-out file reads back differently");
    }
    return 0;
}
