// Reading and writing answer files, and parsing STFANSWER texts.
#include "answer_file.h"

#include "common/letter_case.h"

#include <cstddef>

namespace stf {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Position of the first ';' that follows a blank (a comment), or npos.
std::size_t CommentStart(std::string_view s) {
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == ';' && IsBlank(s[i - 1]))
            return i;
    }
    return std::string_view::npos;
}

std::string LineError(std::size_t line, const char* what) {
    return "line " + std::to_string(line) + ": " + what;
}

// The value part of an entry (everything after '='). Returns false with a
// reason for a bad quoted value.
bool ParseValue(std::string_view raw, std::string& value, const char*& reason) {
    std::string_view s = raw;
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    if (s.empty() || s.front() != '"') {
        std::size_t comment = CommentStart(raw);
        if (comment != std::string_view::npos)
            raw = raw.substr(0, comment);
        value.assign(Trim(raw));
        return true;
    }
    value.clear();
    std::size_t i = 1;
    for (;;) {
        if (i >= s.size()) {
            reason = "quoted value without its closing quote";
            return false;
        }
        if (s[i] == '"') {
            if (i + 1 < s.size() && s[i + 1] == '"') {
                value.push_back('"');
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        value.push_back(s[i]);
        ++i;
    }
    std::string_view rest = Trim(s.substr(i));
    if (!rest.empty() && rest.front() != ';') {
        reason = "text after a quoted value";
        return false;
    }
    return true;
}

AnswerSection& SectionFor(AnswerFile& file, std::string_view name) {
    for (AnswerSection& section : file.sections) {
        if (SameName(section.name, name))
            return section;
    }
    file.sections.push_back(AnswerSection{std::string(name), {}});
    return file.sections.back();
}

bool ValueNeedsQuotes(std::string_view v) {
    if (v.empty())
        return false;
    return IsBlank(v.front()) || IsBlank(v.back()) || v.front() == '"' ||
           CommentStart(v) != std::string_view::npos;
}

bool HasLineBreak(std::string_view s) {
    return s.find('\n') != std::string_view::npos;
}

// A key is written as it is, so it must read back unchanged.
bool KeyWritable(std::string_view key) {
    return !key.empty() && Trim(key) == key && key.front() != ';' && key.front() != '[' &&
           key.find('=') == std::string_view::npos && CommentStart(key) == std::string_view::npos &&
           !HasLineBreak(key);
}

bool SectionWritable(std::string_view name) {
    return !name.empty() && Trim(name) == name && name.find(']') == std::string_view::npos &&
           !HasLineBreak(name);
}

} // namespace

bool SameName(std::string_view a, std::string_view b) {
    return postern::SameTextAZ(a, b);
}

const AnswerSection* AnswerFile::Section(std::string_view name) const {
    for (const AnswerSection& section : sections) {
        if (SameName(section.name, name))
            return &section;
    }
    return nullptr;
}

const AnswerEntry* AnswerFile::Find(std::string_view section, std::string_view key) const {
    const AnswerSection* s = Section(section);
    if (s == nullptr)
        return nullptr;
    for (const AnswerEntry& entry : s->entries) {
        if (SameName(entry.key, key))
            return &entry;
    }
    return nullptr;
}

void AnswerFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    AnswerSection& s = SectionFor(*this, section);
    for (AnswerEntry& entry : s.entries) {
        if (SameName(entry.key, key)) {
            entry.value.assign(value);
            return;
        }
    }
    s.entries.push_back(AnswerEntry{std::string(key), std::string(value)});
}

void AnswerFile::Add(std::string_view section, std::string_view key, std::string_view value) {
    SectionFor(*this, section).entries.push_back(AnswerEntry{std::string(key), std::string(value)});
}

void AnswerFile::RemoveLast(std::string_view section) {
    for (AnswerSection& s : sections) {
        if (SameName(s.name, section) && !s.entries.empty()) {
            s.entries.pop_back();
            return;
        }
    }
}

bool ParseAnswerFile(std::string_view text, AnswerFile& file, std::string& error) {
    file.sections.clear();
    // A file saved as UTF-8 with a byte-order mark reads like any other.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    AnswerSection* current = nullptr;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view body = Trim(line);
        if (body.empty() || body.front() == ';')
            continue;
        if (body.front() == '[') {
            std::size_t close = body.find(']');
            if (close == std::string_view::npos) {
                error = LineError(lineNumber, "section name without ']'");
                return false;
            }
            std::string_view name = Trim(body.substr(1, close - 1));
            std::string_view rest = Trim(body.substr(close + 1));
            if (name.empty()) {
                error = LineError(lineNumber, "empty section name");
                return false;
            }
            if (!rest.empty() && rest.front() != ';') {
                error = LineError(lineNumber, "text after the section name");
                return false;
            }
            current = &SectionFor(file, name);
            continue;
        }
        std::size_t comment = CommentStart(line);
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos ||
            (comment != std::string_view::npos && comment < equals)) {
            error = LineError(lineNumber, "expected [section], key=value or a comment");
            return false;
        }
        std::string_view key = Trim(line.substr(0, equals));
        if (key.empty()) {
            error = LineError(lineNumber, "entry without a key");
            return false;
        }
        if (current == nullptr) {
            error = LineError(lineNumber, "entry before the first [section]");
            return false;
        }
        std::string value;
        const char* reason = nullptr;
        if (!ParseValue(line.substr(equals + 1), value, reason)) {
            error = LineError(lineNumber, reason);
            return false;
        }
        current->entries.push_back(AnswerEntry{std::string(key), std::move(value), lineNumber});
    }
    return true;
}

bool SplitUserEntry(std::string_view value, std::string_view& fullName,
                    std::string_view& password) {
    const std::size_t comma = value.find(',');
    if (comma == std::string_view::npos || comma + 1 == value.size())
        return false;
    fullName = value.substr(0, comma);
    password = value.substr(comma + 1);
    return true;
}

bool CheckAnswerKeys(const AnswerFile& file, const std::vector<std::string>& setupKeys,
                     std::string& error) {
    std::string known;
    for (const std::string& key : setupKeys)
        known += (known.empty() ? "" : ", ") + key;
    for (const AnswerSection& section : file.sections) {
        const bool setup = SameName(section.name, "Setup");
        const bool users = SameName(section.name, "Users");
        for (const AnswerEntry& entry : section.entries) {
            std::string what;
            if (setup) {
                bool taken = false;
                for (const std::string& key : setupKeys)
                    taken = taken || SameName(key, entry.key);
                if (!taken)
                    what = "no dialog takes the key " + entry.key + " (the keys are " + known + ")";
            } else if (users) {
                std::string_view fullName, password;
                if (!SplitUserEntry(entry.value, fullName, password))
                    what = "the user " + entry.key +
                           " is not given as userid=full name,password (a password is needed)";
            } else {
                what = "no dialog takes the section [" + section.name + "]";
            }
            if (!what.empty()) {
                error = LineError(entry.line, what.c_str());
                return false;
            }
        }
    }
    return true;
}

bool WriteAnswerFile(const AnswerFile& file, std::string& text, std::string& error) {
    text.clear();
    for (const AnswerSection& section : file.sections) {
        if (!SectionWritable(section.name)) {
            error = "section name \"" + section.name + "\" cannot be written";
            return false;
        }
        if (!text.empty())
            text += "\r\n";
        text += "[" + section.name + "]\r\n";
        for (const AnswerEntry& entry : section.entries) {
            if (!KeyWritable(entry.key)) {
                error = "key \"" + entry.key + "\" cannot be written";
                return false;
            }
            if (HasLineBreak(entry.value)) {
                error = "the value of " + entry.key + " holds a line break";
                return false;
            }
            text += entry.key;
            text += '=';
            if (ValueNeedsQuotes(entry.value)) {
                text += '"';
                for (char c : entry.value) {
                    if (c == '"')
                        text += '"';
                    text += c;
                }
                text += '"';
            } else {
                text += entry.value;
            }
            text += "\r\n";
        }
    }
    return true;
}

bool ParseAnswerRule(std::string_view text, AnswerRule& rule, std::string& error) {
    rule = AnswerRule{};
    std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    std::vector<std::string_view> items;
    while (!text.empty()) {
        std::size_t semi = text.find(';');
        items.push_back(Trim(text.substr(0, semi)));
        text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
    }
    while (!items.empty() && items.back().empty())
        items.pop_back();
    if (items.size() == 1 && SameName(items[0], "refused")) {
        rule.kind = AnswerKind::Refused;
        return true;
    }
    if (items.size() == 1 && SameName(items[0], "fatal")) {
        rule.kind = AnswerKind::Fatal;
        return true;
    }
    const std::size_t equals = items.empty() ? std::string_view::npos : items[0].find('=');
    if (equals == std::string_view::npos || !SameName(Trim(items[0].substr(0, equals)), "key")) {
        error = "expected \"refused\", \"fatal\" or \"key=<name>[;<word>=<digit>...]\"";
        return false;
    }
    rule.key.assign(Trim(items[0].substr(equals + 1)));
    if (rule.key.empty()) {
        error = "empty key name";
        return false;
    }
    for (std::size_t i = 1; i < items.size(); ++i) {
        std::string_view item = items[i];
        std::size_t equals = item.find('=');
        std::string_view word = Trim(item.substr(0, equals));
        std::string_view digit =
            equals == std::string_view::npos ? std::string_view() : Trim(item.substr(equals + 1));
        if (word.empty() || digit.size() != 1 || digit[0] < '1' || digit[0] > '9') {
            error = "\"" + std::string(item) + "\" is not <word>=<digit 1-9>";
            return false;
        }
        if (DigitForWord(rule, word) != 0) {
            error = "word \"" + std::string(word) + "\" given twice";
            return false;
        }
        rule.words.push_back(AnswerWord{std::string(word), digit[0] - '0'});
    }
    rule.kind = rule.words.empty() ? AnswerKind::Edit : AnswerKind::Radio;
    return true;
}

int DigitForWord(const AnswerRule& rule, std::string_view word) {
    for (const AnswerWord& w : rule.words) {
        if (SameName(w.word, word))
            return w.digit;
    }
    return 0;
}

std::string_view WordForDigit(const AnswerRule& rule, int digit) {
    for (const AnswerWord& w : rule.words) {
        if (w.digit == digit)
            return w.word;
    }
    return {};
}

std::string WordList(const AnswerRule& rule) {
    std::string list;
    for (const AnswerWord& w : rule.words) {
        if (!list.empty())
            list += ", ";
        list += w.word;
    }
    return list;
}

} // namespace stf
