// Answer files of unattended setup runs: an INI-like text of sections with
// ordered key=value entries, its reader and writer, and the STFANSWER texts
// that tell how a dialog is answered from it (key, words and their digits).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stf {

struct AnswerEntry {
    std::string key;
    std::string value;
    std::size_t line = 0; // where the reader found it; 0 for an entry set by Set
};

struct AnswerSection {
    std::string name;
    std::vector<AnswerEntry> entries; // in file order; a key may repeat
};

struct AnswerFile {
    std::vector<AnswerSection> sections; // in file order, each name once

    // Section and key names compare case-insensitively.
    const AnswerSection* Section(std::string_view name) const;
    // The first entry of key in section, or null.
    const AnswerEntry* Find(std::string_view section, std::string_view key) const;
    // Sets the first entry of key (or appends one), creating the section.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Appends an entry (a key may repeat, as in [Users]), creating the section.
    void Add(std::string_view section, std::string_view key, std::string_view value);
    // Removes the last entry of section, if it has one.
    void RemoveLast(std::string_view section);
};

bool SameName(std::string_view a, std::string_view b); // ASCII case-insensitive

// Reads an answer file. Lines end in LF or CRLF; blank lines and lines whose
// first non-blank character is ';' are comments. "[Name]" starts a section (a
// repeated name continues the earlier one); "key=value" adds an entry to the
// current section. A value is trimmed of spaces and tabs, and a ';' after a
// space or tab starts a comment; a value in double quotes keeps both (""
// inside the quotes stands for one quote). Returns false with "line N: ..."
// in error for anything else.
bool ParseAnswerFile(std::string_view text, AnswerFile& file, std::string& error);

// Writes file so that ParseAnswerFile reads back the same sections and
// entries, quoting values where needed. Returns false with a reason when a
// name or value cannot be written (an empty or ill-formed name, a line break).
bool WriteAnswerFile(const AnswerFile& file, std::string& text, std::string& error);

// A [Users] entry is "userid=full name,password": the value splits at its
// first comma, so a password may hold commas and a full name may not. False
// when the value has no comma or the password is empty.
bool SplitUserEntry(std::string_view value, std::string_view& fullName, std::string_view& password);

// Checks, before a run uses the file, that a dialog takes every entry: each
// [Setup] key is one of setupKeys (case-insensitive), each [Users] entry has
// a full name and a password, and there is no other section. Returns false
// with "line N: ..." in error for the first entry that fails.
bool CheckAnswerKeys(const AnswerFile& file, const std::vector<std::string>& setupKeys,
                     std::string& error);

// How a dialog is answered, from its STFANSWER resource text:
//   "key=Mode;new=1;update=2;remove=3"  radio dialog: words give option digits
//   "key=HostName"                      edit dialog: the value is the text
//   "refused"                           the previous answer was refused
//   "fatal"                             the run ends in the fatal stop
enum class AnswerKind { Radio, Edit, Refused, Fatal };

struct AnswerWord {
    std::string word;
    int digit = 0; // 1..9
};

struct AnswerRule {
    AnswerKind kind = AnswerKind::Edit;
    std::string key;               // Radio and Edit
    std::vector<AnswerWord> words; // Radio only, in resource order
};

// Parses an STFANSWER text (items separated by ';', spaces around them
// ignored; the text ends at the first NUL). Returns false with a reason.
bool ParseAnswerRule(std::string_view text, AnswerRule& rule, std::string& error);

// The option digit of word (case-insensitive), 0 when the word is unknown.
int DigitForWord(const AnswerRule& rule, std::string_view word);
// The first word for digit, or an empty view when none has it.
std::string_view WordForDigit(const AnswerRule& rule, int digit);
// The words joined as "new, update, remove" (for messages).
std::string WordList(const AnswerRule& rule);

} // namespace stf
