// Fuzzes the answer file reader: any bytes must parse or fail cleanly, and a
// parsed file must write and read back unchanged. STFANSWER texts too.
#include "answer_file.h"
#include "common/fuzz_check.h"

#include <cstddef>
#include <cstdint>
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
        FUZZ_CHECK(stf::WriteAnswerFile(file, written, error),
                   "what the reader gives is writable: " + error);
        stf::AnswerFile again;
        FUZZ_CHECK(stf::ParseAnswerFile(written, again, error), "the written file reads: " + error);
        FUZZ_CHECK(Same(file, again), "the written file reads back the same");
    } else {
        FUZZ_CHECK(!error.empty(), "a refusal says why");
    }
    stf::AnswerRule rule;
    if (stf::ParseAnswerRule(text, rule, error) && rule.kind == stf::AnswerKind::Radio) {
        for (const stf::AnswerWord& word : rule.words) {
            FUZZ_CHECK(stf::DigitForWord(rule, word.word) == word.digit,
                       "each word gives its own digit");
        }
    }
    return 0;
}
