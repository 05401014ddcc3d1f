// Fuzzes the answer file reader: any bytes must parse or fail cleanly, and a
// parsed file must write and read back unchanged. STFANSWER texts too.
#include "answer_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool Same(const stf::AnswerFile& a, const stf::AnswerFile& b) {
    if (a.sections.size() != b.sections.size())
        return false;
    for (std::size_t i = 0; i < a.sections.size(); ++i) {
        const stf::AnswerSection& x = a.sections[i];
        const stf::AnswerSection& y = b.sections[i];
        if (x.name != y.name || x.entries.size() != y.entries.size())
            return false;
        for (std::size_t j = 0; j < x.entries.size(); ++j) {
            if (x.entries[j].key != y.entries[j].key || x.entries[j].value != y.entries[j].value)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    stf::AnswerFile file;
    std::string error;
    if (stf::ParseAnswerFile(text, file, error)) {
        std::string written;
        if (!stf::WriteAnswerFile(file, written, error))
            std::abort(); // everything the reader produces must be writable
        stf::AnswerFile again;
        if (!stf::ParseAnswerFile(written, again, error) || !Same(file, again))
            std::abort();
    } else if (error.empty()) {
        std::abort(); // a refusal always says why
    }
    stf::AnswerRule rule;
    if (stf::ParseAnswerRule(text, rule, error) && rule.kind == stf::AnswerKind::Radio) {
        for (const stf::AnswerWord& word : rule.words) {
            if (stf::DigitForWord(rule, word.word) != word.digit)
                std::abort();
        }
    }
    return 0;
}
