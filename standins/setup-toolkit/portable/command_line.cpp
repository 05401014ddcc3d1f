// Splitting and reading the setup program's command line.
#include "command_line.h"

#include "answer_file.h"

namespace stf {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The field an option word fills, or null when the word is no option.
std::string* OptionField(std::string_view word, SetupOptions& options) {
    if (word.size() < 2 || (word[0] != '/' && word[0] != '-'))
        return nullptr;
    std::string_view name = word.substr(1);
    if (SameName(name, "answers"))
        return &options.answers;
    if (SameName(name, "log"))
        return &options.log;
    if (SameName(name, "src"))
        return &options.source;
    if (SameName(name, "record"))
        return &options.record;
    return nullptr;
}

bool IsNoExitOption(std::string_view word) {
    return word.size() > 1 && (word[0] == '/' || word[0] == '-') &&
           SameName(word.substr(1), "noexit");
}

constexpr char kOptionList[] =
    " (options: /answers FILE, /log FILE, /src DIR, /record FILE, /noexit)";

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        std::string word;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            char c = line[i++];
            if (c != '"') {
                word.push_back(c);
            } else if (quoted && i < line.size() && line[i] == '"') {
                word.push_back('"');
                ++i;
            } else {
                quoted = !quoted;
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

bool ParseSetupCommandLine(std::string_view line, SetupOptions& options, std::string& error) {
    options = SetupOptions{};
    const std::vector<std::string> words = SplitCommandLine(line);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 2 || (word[0] != '/' && word[0] != '-')) {
            error = "unexpected argument \"" + word + "\"" + kOptionList;
            return false;
        }
        if (IsNoExitOption(word)) {
            if (options.noExit) {
                error = "option " + word + " given twice";
                return false;
            }
            options.noExit = true;
            continue;
        }
        std::string* target = OptionField(word, options);
        if (target == nullptr) {
            error = "unknown option " + word + kOptionList;
            return false;
        }
        if (!target->empty()) {
            error = "option " + word + " given twice";
            return false;
        }
        SetupOptions probe;
        if (i + 1 >= words.size() || words[i + 1].empty() ||
            OptionField(words[i + 1], probe) != nullptr || IsNoExitOption(words[i + 1])) {
            error = "option " + word + " needs a value";
            return false;
        }
        *target = words[++i];
    }
    return true;
}

} // namespace stf
