// Unit tests of the INF file reader: sections, entries, comments, and every
// kind of refused line with its line number.
#include "inf_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using stf::InfError;
using stf::InfFile;

struct Parsed {
    std::unique_ptr<InfFile> file = std::make_unique<InfFile>();
    InfError error{};
    bool ok = false;
};

Parsed Parse(std::string_view text, bool checkSyntax = true) {
    Parsed parsed;
    parsed.ok = stf::ParseInf(text, checkSyntax, *parsed.file, parsed.error);
    return parsed;
}

std::string Dest(const InfFile& file, std::size_t i) {
    return file.entries[i].destName.data();
}
std::string Source(const InfFile& file, std::size_t i) {
    return file.entries[i].sourcePath.data();
}

TEST(InfFile, ReadsSectionsAndBothEntryForms) {
    const Parsed p = Parse("; suite files\r\n"
                           "[Files]\r\n"
                           "pstview.exe\r\n"
                           "bin\\relay.exe = programs\\relaysvc.exe   ; renamed\r\n"
                           "\r\n"
                           "  [ F351 ]  \r\n"
                           "\tnotes.txt\t=\tdocs\\notes.txt\r\n"
                           "[Empty]\r\n");
    ASSERT_TRUE(p.ok) << p.error.reason.data();
    const InfFile& f = *p.file;
    ASSERT_EQ(f.sectionCount, 3u);
    EXPECT_STREQ(f.sections[0].name.data(), "Files");
    EXPECT_STREQ(f.sections[1].name.data(), "F351");
    EXPECT_STREQ(f.sections[2].name.data(), "Empty");
    EXPECT_EQ(f.sections[1].line, 6u);
    ASSERT_EQ(f.entryCount, 3u);
    EXPECT_EQ(Dest(f, 0), "pstview.exe");
    EXPECT_EQ(Source(f, 0), "pstview.exe");
    EXPECT_EQ(Dest(f, 1), "bin\\relay.exe");
    EXPECT_EQ(Source(f, 1), "programs\\relaysvc.exe");
    EXPECT_EQ(f.entries[1].section, 0u);
    EXPECT_EQ(f.entries[1].line, 4u);
    EXPECT_EQ(Dest(f, 2), "notes.txt");
    EXPECT_EQ(Source(f, 2), "docs\\notes.txt");
    EXPECT_EQ(f.entries[2].section, 1u);
}

TEST(InfFile, SemicolonStartsACommentOnlyAtTheStartOrAfterABlank) {
    const Parsed p = Parse("[S]\n"
                           "a;b\n"
                           "c ;d\n"
                           "   ; whole line\n"
                           ";[NotASection]\n"
                           "e=f;g\n");
    ASSERT_TRUE(p.ok) << p.error.reason.data();
    ASSERT_EQ(p.file->entryCount, 3u);
    EXPECT_EQ(Dest(*p.file, 0), "a;b");
    EXPECT_EQ(Dest(*p.file, 1), "c");
    EXPECT_EQ(Source(*p.file, 2), "f;g");
    EXPECT_EQ(p.file->sectionCount, 1u);
}

TEST(InfFile, SectionNamesCompareCaseInsensitively) {
    const Parsed p = Parse("[Files]\na\n[f351]\nb\n");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(stf::FindInfSection(*p.file, "FILES"), 0);
    EXPECT_EQ(stf::FindInfSection(*p.file, "F351"), 1);
    EXPECT_EQ(stf::FindInfSection(*p.file, "F35"), -1);
    EXPECT_EQ(stf::FindInfSection(*p.file, ""), -1);
    // Every letter folds, the last of the alphabet included.
    const Parsed z = Parse("[Zone]\na\n[fizz]\nb\n");
    ASSERT_TRUE(z.ok);
    EXPECT_EQ(stf::FindInfSection(*z.file, "zONE"), 0);
    EXPECT_EQ(stf::FindInfSection(*z.file, "FIZZ"), 1);

    const Parsed twice = Parse("[Files]\na\n[FILES]\nb\n");
    ASSERT_FALSE(twice.ok);
    EXPECT_EQ(twice.error.line, 3u);
    EXPECT_STREQ(twice.error.reason.data(), "section [FILES] appears twice (first at line 1)");
}

TEST(InfFile, EmptyTextAndByteOrderMarkAreFine) {
    EXPECT_TRUE(Parse("").ok);
    const Parsed bom = Parse("\xEF\xBB\xBF[S]\nx\n");
    ASSERT_TRUE(bom.ok);
    EXPECT_STREQ(bom.file->sections[0].name.data(), "S");
    const Parsed noFinalNewline = Parse("[S]\nlast");
    ASSERT_TRUE(noFinalNewline.ok);
    EXPECT_EQ(Dest(*noFinalNewline.file, 0), "last");
}

struct Refusal {
    const char* text;
    std::uint32_t line;
    const char* reason;
};

TEST(InfFile, RefusesUnsafeOrInvalidEntriesWithLineAndReason) {
    const Refusal cases[] = {
        {"[S]\nok\n\\windows\\win.ini\n", 3,
         "destination \"\\windows\\win.ini\" is an absolute path"},
        {"[S]\nx = C:\\autoexec.bat\n", 2, "source \"C:\\autoexec.bat\" is an absolute path"},
        {"[S]\nx = /etc/passwd\n", 2, "source \"/etc/passwd\" is an absolute path"},
        {"[S]\n..\\x = x\n", 2, "destination \"..\\x\": a \"..\" component"},
        {"[S]\nx = sub\\..\\..\\x\n", 2, "source \"sub\\..\\..\\x\": a \"..\" component"},
        {"[S]\n.\\x\n", 2, "destination \".\\x\": a \".\" component"},
        {"[S]\nsub\\\\x\n", 2, "destination \"sub\\\\x\": an empty component"},
        {"[S]\nsub\\\n", 2, "destination \"sub\\\": an empty component"},
        {"[S]\na?b\n", 2, "destination \"a?b\": a '?' in a file name"},
        {"[S]\nx = sub/file\n", 2, "source \"sub/file\": a '/' in a file name"},
        {"[S]\nx = ab:c\n", 2, "source \"ab:c\": a ':' in a file name"},
        {"[S]\nx = a:b\n", 2, "source \"a:b\" is an absolute path"},
        {"[S]\na\x01z\n", 2, "destination: control character 0x01"},
        {"[S]\nname.\n", 2, "destination \"name.\": a name ending in a dot or a blank"},
        {"[S]\nsub\\con.txt\n", 2, "destination \"sub\\con.txt\": the device name \"con.txt\""},
        {"[S]\nx = LPT1\n", 2, "source \"LPT1\": the device name \"LPT1\""},
        {"[S]\nA.txt\nb = c\na.TXT = d\n", 4,
         "destination \"a.TXT\" named twice (first at line 2)"},
        {"[S]\nquiz.z\nQUIZ.Z = d\n", 3, "destination \"QUIZ.Z\" named twice (first at line 2)"},
        {"loose.txt\n[S]\n", 1, "entry before the first section header"},
    };
    for (const Refusal& c : cases) {
        const Parsed p = Parse(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_EQ(p.error.line, c.line) << c.text;
        EXPECT_STREQ(p.error.reason.data(), c.reason) << c.text;
        EXPECT_EQ(p.file->entryCount, 0u) << c.text;
        EXPECT_EQ(p.file->sectionCount, 0u) << c.text;
    }
}

TEST(InfFile, SameDestinationInTwoSectionsIsFine) {
    const Parsed p = Parse("[Files]\nREADME\n[F35]\nreadme = old\\readme\n");
    ASSERT_TRUE(p.ok) << p.error.reason.data();
    EXPECT_EQ(p.file->entryCount, 2u);
}

TEST(InfFile, LinesThatAreNeitherAreRefusedOnlyWithSyntaxCheck) {
    const Refusal cases[] = {
        {"[S]\n[Open\n", 2, "section header without a closing ']'"},
        {"[S]\n[] ; empty\n", 2, "section header without a name"},
        {"[S]\n[a]b]\n", 2, "section name with '[', ']' or a control character"},
        {"[S]\n= x\n", 2, "entry with nothing on one side of '='"},
        {"[S]\nx =\n", 2, "entry with nothing on one side of '='"},
        {"[S]\n[S2] junk\n", 2, "section header without a closing ']'"},
    };
    for (const Refusal& c : cases) {
        const Parsed strict = Parse(c.text, true);
        EXPECT_FALSE(strict.ok) << c.text;
        EXPECT_EQ(strict.error.line, c.line) << c.text;
        EXPECT_STREQ(strict.error.reason.data(), c.reason) << c.text;

        const Parsed lenient = Parse(c.text, false);
        EXPECT_TRUE(lenient.ok) << c.text;
        EXPECT_EQ(lenient.file->skippedLines, 1u) << c.text;
        EXPECT_EQ(lenient.file->sectionCount, 1u) << c.text;
        EXPECT_EQ(lenient.file->entryCount, 0u) << c.text;
    }
    // Unsafe entries stay refused without the syntax check.
    const Parsed unsafe = Parse("[S]\n..\\x\n", false);
    EXPECT_FALSE(unsafe.ok);
    EXPECT_EQ(unsafe.error.line, 2u);
}

TEST(InfFile, LimitsOnPathsEntriesAndSections) {
    const std::string longest(stf::kInfPathSize - 1, 'p');
    EXPECT_TRUE(Parse("[S]\n" + longest + "\n").ok);
    const Parsed tooLong = Parse("[S]\nx = " + longest + "q\n");
    EXPECT_FALSE(tooLong.ok);
    EXPECT_STREQ(tooLong.error.reason.data(), "source longer than 259 characters");

    std::string entries = "[S]\n";
    for (std::size_t i = 0; i < stf::kInfMaxEntries; ++i)
        entries += "f" + std::to_string(i) + "\n";
    const Parsed full = Parse(entries);
    ASSERT_TRUE(full.ok);
    EXPECT_EQ(full.file->entryCount, stf::kInfMaxEntries);
    const Parsed over = Parse(entries + "one-more\n");
    EXPECT_FALSE(over.ok);
    EXPECT_EQ(over.error.line, stf::kInfMaxEntries + 2);
    EXPECT_STREQ(over.error.reason.data(), "more than 512 entries");

    std::string sections;
    for (std::size_t i = 0; i <= stf::kInfMaxSections; ++i)
        sections += "[s" + std::to_string(i) + "]\n";
    const Parsed manySections = Parse(sections);
    EXPECT_FALSE(manySections.ok);
    EXPECT_EQ(manySections.error.line, stf::kInfMaxSections + 1);

    const Parsed longName = Parse("[" + std::string(stf::kInfSectionNameSize, 'n') + "]\n");
    EXPECT_FALSE(longName.ok);
    EXPECT_STREQ(longName.error.reason.data(), "section name longer than 63 characters");
}

TEST(InfFile, AFailedParseLeavesNoEarlierContent) {
    Parsed p;
    ASSERT_TRUE(stf::ParseInf("[A]\nx\n", true, *p.file, p.error));
    EXPECT_FALSE(stf::ParseInf("[B]\ny\n[B]\n", true, *p.file, p.error));
    EXPECT_EQ(p.file->sectionCount, 0u);
    EXPECT_EQ(stf::FindInfSection(*p.file, "A"), -1);
    // A later success clears the earlier error.
    EXPECT_TRUE(stf::ParseInf("[C]\n", true, *p.file, p.error));
    EXPECT_EQ(p.error.line, 0u);
    EXPECT_STREQ(p.error.reason.data(), "");
}

TEST(InfFile, ValidFileNameFollowsWindowsRules) {
    for (const char* good :
         {"a", "a.b.c", "name with blanks.txt", "con1", "COMX", "lpt", "a;b", "]"})
        EXPECT_TRUE(stf::ValidFileName(good)) << good;
    for (const char* bad : {"", "a<b", "a>b", "a\"b", "a|b", "a*b", "a\\b", "trail ", "trail.",
                            "NUL", "aux.txt", "Com9 .log", "prn"})
        EXPECT_FALSE(stf::ValidFileName(bad)) << bad;
}

} // namespace
