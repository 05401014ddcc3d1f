// The installation description (INF) file: which files each section copies.
//
// The format, line by line (CR LF or LF line ends):
//   [Section]                a section header; names compare case-insensitively
//   name                     copy <source>\name to <destination>\name
//   destname = sourcepath    copy <source>\sourcepath to <destination>\destname
//   ; text                   a comment
//   (blank)                  ignored
// A ';' starts a comment at the start of a line (after blanks) or after a
// blank or tab; "a;b" is the name a;b. Blanks and tabs around names and around
// '=' are ignored. Both sides of an entry are relative paths: components
// separated by '\', each a valid Windows file name (no < > : " / \ | ? * or
// control characters, not a device name such as CON or LPT1, not ending in a
// dot or a blank), with no "." or ".." component. Destination subfolders are
// created by the copy.
//
// Refused, with the line number and the reason: absolute paths (leading '\'
// or a drive), "." and ".." components, invalid names, a destination named
// twice in one section, a section header that appears twice, a header that is
// malformed, an entry before the first header, more than kInfMaxEntries
// entries or kInfMaxSections sections, paths of kInfPathSize characters or
// more. Without checkSyntax, lines that are neither headers nor entries
// (an unclosed or empty header, an entry with an empty side) are skipped
// instead; everything else is still refused.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace stf {

inline constexpr std::size_t kInfMaxEntries = 512;
inline constexpr std::size_t kInfMaxSections = 64;
inline constexpr std::size_t kInfPathSize = 260;       // with the terminating zero
inline constexpr std::size_t kInfSectionNameSize = 64; // with the terminating zero
inline constexpr std::size_t kInfReasonSize = 160;

struct InfSection {
    std::array<char, kInfSectionNameSize> name;
    std::uint32_t line; // line of its header
};

struct InfEntry {
    std::array<char, kInfPathSize> destName;   // relative to the destination folder
    std::array<char, kInfPathSize> sourcePath; // relative to the source folder
    std::uint32_t section;                     // index into InfFile::sections
    std::uint32_t line;
};

// A parsed file: sections in file order, entries in file order.
struct InfFile {
    std::array<InfSection, kInfMaxSections> sections;
    std::size_t sectionCount;
    std::array<InfEntry, kInfMaxEntries> entries;
    std::size_t entryCount;
    std::size_t skippedLines; // lines skipped without checkSyntax
};

struct InfError {
    std::uint32_t line; // 1-based; 0 when not tied to a line
    std::array<char, kInfReasonSize> reason;
};

// Parses text into file (which is overwritten). Returns false with the first
// refused line's number and reason in error; file is then empty.
bool ParseInf(std::string_view text, bool checkSyntax, InfFile& file, InfError& error);

// Index of the section named name (case-insensitive), or -1.
int FindInfSection(const InfFile& file, std::string_view name);

// True when name is one valid Windows file name (one path component).
bool ValidFileName(std::string_view name);

} // namespace stf
