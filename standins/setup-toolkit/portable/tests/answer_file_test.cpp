// Answer files: reading, writing back, and STFANSWER texts.
#include "answer_file.h"

#include <gtest/gtest.h>

using namespace stf;

namespace {

AnswerFile Parsed(const std::string& text) {
    AnswerFile file;
    std::string error;
    EXPECT_TRUE(ParseAnswerFile(text, file, error)) << error;
    return file;
}

std::string ValueOf(const AnswerFile& file, const char* section, const char* key) {
    const AnswerEntry* entry = file.Find(section, key);
    return entry ? entry->value : "<missing>";
}

std::string ParseError(const std::string& text) {
    AnswerFile file;
    std::string error;
    EXPECT_FALSE(ParseAnswerFile(text, file, error)) << text;
    return error;
}

void ExpectSame(const AnswerFile& a, const AnswerFile& b) {
    ASSERT_EQ(a.sections.size(), b.sections.size());
    for (std::size_t i = 0; i < a.sections.size(); ++i) {
        EXPECT_EQ(a.sections[i].name, b.sections[i].name);
        ASSERT_EQ(a.sections[i].entries.size(), b.sections[i].entries.size());
        for (std::size_t j = 0; j < a.sections[i].entries.size(); ++j) {
            EXPECT_EQ(a.sections[i].entries[j].key, b.sections[i].entries[j].key);
            EXPECT_EQ(a.sections[i].entries[j].value, b.sections[i].entries[j].value);
        }
    }
}

} // namespace

TEST(AnswerFileParse, TheDocumentedExample) {
    const AnswerFile file = Parsed("[Setup]\r\n"
                                   "Mode=new                 ; new | update | remove\r\n"
                                   "UserDatabase=own\r\n"
                                   "HostName=mail.example.com\r\n"
                                   "Destination=C:\\POSTERN\r\n"
                                   "ConvertDatabase=yes\r\n"
                                   "[Users]\r\n"
                                   "; the add-user wizard\r\n"
                                   "alice=Alice Example,alice-pw\r\n"
                                   "bob=Bob Example,bob-pw\r\n");
    ASSERT_EQ(file.sections.size(), 2u);
    EXPECT_EQ(ValueOf(file, "Setup", "Mode"), "new");
    EXPECT_EQ(ValueOf(file, "Setup", "Destination"), "C:\\POSTERN");
    EXPECT_EQ(ValueOf(file, "Setup", "HostName"), "mail.example.com");
    const AnswerSection* users = file.Section("users");
    ASSERT_NE(users, nullptr);
    ASSERT_EQ(users->entries.size(), 2u);
    EXPECT_EQ(users->entries[0].key, "alice");
    EXPECT_EQ(users->entries[0].value, "Alice Example,alice-pw");
    EXPECT_EQ(users->entries[1].key, "bob");
}

TEST(AnswerFileParse, AByteOrderMarkIsSkipped) {
    const AnswerFile file = Parsed("\xEF\xBB\xBF[Setup]\r\nMode=new\r\n");
    EXPECT_EQ(ValueOf(file, "Setup", "Mode"), "new");
    // Only at the very start: elsewhere those bytes are text.
    EXPECT_EQ(ValueOf(Parsed("[Setup]\r\nHostName=\xEF\xBB\xBFx\r\n"), "Setup", "HostName"),
              "\xEF\xBB\xBFx");
}

TEST(AnswerFileParse, NamesAreCaseInsensitiveAndSectionsMerge) {
    const AnswerFile file = Parsed("[setup]\nMODE=update\n[Other]\nx=1\n[SETUP]\nhostname=h\n");
    ASSERT_EQ(file.sections.size(), 2u);
    EXPECT_EQ(file.sections[0].name, "setup");
    EXPECT_EQ(ValueOf(file, "Setup", "mode"), "update");
    EXPECT_EQ(ValueOf(file, "SETUP", "HostName"), "h");
    EXPECT_EQ(file.Find("Setup", "absent"), nullptr);
    EXPECT_EQ(file.Find("Absent", "mode"), nullptr);
}

TEST(AnswerFileParse, CommentsAndTrimming) {
    const AnswerFile file = Parsed("  ; comment line\n"
                                   "\t[ Setup ]   ; after a section\n"
                                   "  a  =  spaced value \t\n"
                                   "b=semi;colon kept\n"
                                   "c=x ;comment\n"
                                   "d=x\t; tab comment\n"
                                   "e=;leading semicolon\n"
                                   "f= ;all comment\n"
                                   "g=\n");
    EXPECT_EQ(file.sections[0].name, "Setup");
    EXPECT_EQ(ValueOf(file, "Setup", "a"), "spaced value");
    EXPECT_EQ(ValueOf(file, "Setup", "b"), "semi;colon kept");
    EXPECT_EQ(ValueOf(file, "Setup", "c"), "x");
    EXPECT_EQ(ValueOf(file, "Setup", "d"), "x");
    EXPECT_EQ(ValueOf(file, "Setup", "e"), ";leading semicolon");
    EXPECT_EQ(ValueOf(file, "Setup", "f"), "");
    EXPECT_EQ(ValueOf(file, "Setup", "g"), "");
}

TEST(AnswerFileParse, QuotedValues) {
    const AnswerFile file = Parsed("[S]\n"
                                   "a=\"  keeps spaces  \"\n"
                                   "b=\"x ; not a comment\"   ; but this is\n"
                                   "c=\"say \"\"hi\"\"\"\n"
                                   "d=\"\"\n"
                                   "e=a \"middle\" quote\n");
    EXPECT_EQ(ValueOf(file, "S", "a"), "  keeps spaces  ");
    EXPECT_EQ(ValueOf(file, "S", "b"), "x ; not a comment");
    EXPECT_EQ(ValueOf(file, "S", "c"), "say \"hi\"");
    EXPECT_EQ(ValueOf(file, "S", "d"), "");
    EXPECT_EQ(ValueOf(file, "S", "e"), "a \"middle\" quote");
}

TEST(AnswerFileParse, ErrorsNameTheLine) {
    EXPECT_EQ(ParseError("[S]\nno equals sign\n"),
              "line 2: expected [section], key=value or a comment");
    EXPECT_EQ(ParseError("key=value\n"), "line 1: entry before the first [section]");
    EXPECT_EQ(ParseError("[S]\n\n[broken\n"), "line 3: section name without ']'");
    EXPECT_EQ(ParseError("[ ]\n"), "line 1: empty section name");
    EXPECT_EQ(ParseError("[S] x\n"), "line 1: text after the section name");
    EXPECT_EQ(ParseError("[S]\n=v\n"), "line 2: entry without a key");
    EXPECT_EQ(ParseError("[S]\na=\"open\n"), "line 2: quoted value without its closing quote");
    EXPECT_EQ(ParseError("[S]\na=\"q\" tail\n"), "line 2: text after a quoted value");
    EXPECT_EQ(ParseError("[S]\nkey ;c=v\n"), "line 2: expected [section], key=value or a comment");
}

TEST(AnswerFileWrite, RoundTripsAwkwardValues) {
    AnswerFile file;
    file.Set("Setup", "Destination", "C:\\POSTERN");
    file.Set("Setup", "Lead", "  leading and trailing  ");
    file.Set("Setup", "Semi", "a ; b");
    file.Set("Setup", "Quote", "\"quoted\" start");
    file.Set("Setup", "Empty", "");
    file.Set("Setup", "Tab", "x\t;y");
    file.Set("Users", "alice", "Alice Example,pw;1");
    std::string text;
    std::string error;
    ASSERT_TRUE(WriteAnswerFile(file, text, error)) << error;
    ExpectSame(Parsed(text), file);
    EXPECT_NE(text.find("Destination=C:\\POSTERN\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Semi=\"a ; b\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Quote=\"\"\"quoted\"\" start\"\r\n"), std::string::npos) << text;
}

TEST(AnswerFileWrite, SetReplacesTheFirstEntryCaseInsensitively) {
    AnswerFile file = Parsed("[Setup]\nMode=new\nHostName=a\n");
    file.Set("SETUP", "mode", "remove");
    ASSERT_EQ(file.sections[0].entries.size(), 2u);
    EXPECT_EQ(file.sections[0].entries[0].key, "Mode");
    EXPECT_EQ(file.sections[0].entries[0].value, "remove");
}

TEST(AnswerFileWrite, AddAppendsEvenARepeatedKeyAndRemoveLastTakesItBack) {
    AnswerFile file = Parsed("[Setup]\nMode=new\n");
    file.Add("Users", "alice", "Alice,pw1");
    file.Add("users", "bob", "Bob,pw2");
    file.Add("Users", "alice", "Alice Again,pw3");
    ASSERT_EQ(file.sections.size(), 2u);
    const AnswerSection& users = file.sections[1];
    EXPECT_EQ(users.name, "Users");
    ASSERT_EQ(users.entries.size(), 3u);
    EXPECT_EQ(users.entries[2].key, "alice");
    EXPECT_EQ(users.entries[2].value, "Alice Again,pw3");
    EXPECT_EQ(file.Find("Users", "alice")->value, "Alice,pw1");
    file.RemoveLast("USERS");
    ASSERT_EQ(users.entries.size(), 2u);
    EXPECT_EQ(users.entries[1].key, "bob");
    file.RemoveLast("Nowhere");
    EXPECT_EQ(file.sections.size(), 2u);
    std::string text;
    std::string error;
    ASSERT_TRUE(WriteAnswerFile(file, text, error)) << error;
    EXPECT_EQ(text, "[Setup]\r\nMode=new\r\n\r\n[Users]\r\nalice=Alice,pw1\r\nbob=Bob,pw2\r\n");
}

TEST(AnswerFileWrite, RefusesWhatCannotReadBack) {
    const std::vector<std::pair<std::string, std::string>> badKeys = {
        {"", "v"}, {" lead", "v"}, {"a=b", "v"}, {";c", "v"}, {"[s", "v"}, {"k ;c", "v"}};
    for (const auto& [key, value] : badKeys) {
        AnswerFile file;
        file.sections.push_back(AnswerSection{"S", {AnswerEntry{key, value}}});
        std::string text;
        std::string error;
        EXPECT_FALSE(WriteAnswerFile(file, text, error)) << "key [" << key << "]";
    }
    AnswerFile lineBreak;
    lineBreak.Set("S", "k", "two\nlines");
    std::string text;
    std::string error;
    EXPECT_FALSE(WriteAnswerFile(lineBreak, text, error));
    EXPECT_EQ(error, "the value of k holds a line break");
    AnswerFile badSection;
    badSection.sections.push_back(AnswerSection{"a]b", {}});
    EXPECT_FALSE(WriteAnswerFile(badSection, text, error));
}

TEST(AnswerFileCheck, EveryEntryIsOneADialogTakes) {
    const std::vector<std::string> keys = {"Mode", "HostName", "ConvertDatabase"};
    std::string error;
    EXPECT_TRUE(CheckAnswerKeys(Parsed("[Setup]\nmode=new\nHOSTNAME=mail.example.com\n"
                                       "[Users]\nalice=Alice Example,alice-pw\n"
                                       "bob=,pw\n[Empty]\n"),
                                keys, error))
        << error;

    // A misspelt key is refused with its line, not taken as "accept the proposal".
    EXPECT_FALSE(
        CheckAnswerKeys(Parsed("[Setup]\nMode=new\n\nHostNmae=mail.example.com\n"), keys, error));
    EXPECT_EQ(error, "line 4: no dialog takes the key HostNmae (the keys are Mode, HostName, "
                     "ConvertDatabase)");
    EXPECT_FALSE(CheckAnswerKeys(Parsed("[Setpu]\nMode=new\n"), keys, error));
    EXPECT_EQ(error, "line 2: no dialog takes the section [Setpu]");
    for (const char* user : {"carol=Carol Example", "carol=Carol Example,", "carol="}) {
        EXPECT_FALSE(
            CheckAnswerKeys(Parsed(std::string("[Users]\nalice=A,pw\n") + user), keys, error))
            << user;
        EXPECT_EQ(error, "line 3: the user carol is not given as userid=full name,password "
                         "(a password is needed)");
    }
}

TEST(AnswerFileCheck, UserEntriesSplitAtTheFirstComma) {
    std::string_view fullName, password;
    ASSERT_TRUE(SplitUserEntry("Alice Example,pw,with,commas", fullName, password));
    EXPECT_EQ(fullName, "Alice Example");
    EXPECT_EQ(password, "pw,with,commas");
    ASSERT_TRUE(SplitUserEntry(",x", fullName, password));
    EXPECT_EQ(fullName, "");
    EXPECT_EQ(password, "x");
    EXPECT_FALSE(SplitUserEntry("no password", fullName, password));
    EXPECT_FALSE(SplitUserEntry("empty password,", fullName, password));
}

TEST(AnswerRuleParse, RadioEditRefusedFatal) {
    AnswerRule rule;
    std::string error;
    ASSERT_TRUE(ParseAnswerRule("key=Mode;new=1;update=2;remove=3", rule, error)) << error;
    EXPECT_EQ(rule.kind, AnswerKind::Radio);
    EXPECT_EQ(rule.key, "Mode");
    EXPECT_EQ(DigitForWord(rule, "UPDATE"), 2);
    EXPECT_EQ(DigitForWord(rule, "upgrade"), 0);
    EXPECT_EQ(WordForDigit(rule, 3), "remove");
    EXPECT_EQ(WordForDigit(rule, 4), "");
    EXPECT_EQ(WordList(rule), "new, update, remove");

    ASSERT_TRUE(ParseAnswerRule(std::string(" key = HostName \0junk", 21), rule, error));
    EXPECT_EQ(rule.kind, AnswerKind::Edit);
    EXPECT_EQ(rule.key, "HostName");
    ASSERT_TRUE(ParseAnswerRule("refused", rule, error));
    EXPECT_EQ(rule.kind, AnswerKind::Refused);
    ASSERT_TRUE(ParseAnswerRule("FATAL;", rule, error));
    EXPECT_EQ(rule.kind, AnswerKind::Fatal);
}

TEST(AnswerRuleParse, Errors) {
    AnswerRule rule;
    std::string error;
    for (const char* bad : {"", "Mode", "key=", "key=Mode;new", "key=Mode;new=0", "key=Mode;new=12",
                            "key=Mode;=1", "key=Mode;new=1;NEW=2", "refused;key=x"}) {
        EXPECT_FALSE(ParseAnswerRule(bad, rule, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}
