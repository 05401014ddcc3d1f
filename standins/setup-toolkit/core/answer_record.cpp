// /record: the answers a run was given, written after each one as an answer
// file that /answers can replay ([Setup] keys of the dialogs' STFANSWER texts,
// and the users added through the installer's add-user wizard as [Users]).
#include <windows.h>

#include <array>
#include <string>

#include "common/unique_handle.h"
#include "run_state.h"
#include "toolkit_core.h"

namespace stf {

namespace {

bool WriteRecord() {
    std::string text;
    std::string error;
    if (!WriteAnswerFile(g_run.record.recorded, text, error)) {
        NoteFailure("record %s: %s", g_run.record.path.data(), error.c_str());
        return false;
    }
    text = "; answers recorded by setup; replay with /answers\r\n" + text;
    postern::UniqueFile file(CreateFileA(g_run.record.path.data(), GENERIC_WRITE, FILE_SHARE_READ,
                                         nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        NoteFailure("record %s: cannot write (error %lu)", g_run.record.path.data(),
                    GetLastError());
        return false;
    }
    return true;
}

} // namespace

bool StartRecord(const char* path) {
    if (!postern::CopyText(g_run.record.path, path)) {
        g_run.record.path[0] = '\0';
        return false;
    }
    g_run.record.recorded.sections.push_back(AnswerSection{"Setup", {}});
    if (!WriteRecord()) {
        g_run.record.path[0] = '\0';
        return false;
    }
    LogLine("recording answers to %s", g_run.record.path.data());
    return true;
}

void RecordAnswer(const AnswerRule& rule) {
    if (g_run.record.path[0] == '\0' || rule.key.empty())
        return;
    std::string value;
    if (rule.kind == AnswerKind::Radio) {
        const std::string digit = SymbolText("ButtonChecked");
        const std::string_view word =
            digit.size() == 1 ? WordForDigit(rule, digit[0] - '0') : std::string_view();
        if (word.empty()) {
            NoteFailure("record: option \"%s\" of %s has no word", digit.c_str(), rule.key.c_str());
            return;
        }
        value.assign(word);
    } else {
        value = SymbolText("EditTextOut");
    }
    g_run.record.recorded.Set("Setup", rule.key, value);
    WriteRecord();
}

bool Recording() {
    return g_run.record.path[0] != '\0';
}

void RecordUser(const std::string& userId, const std::string& fullName,
                const std::string& password) {
    if (!Recording())
        return;
    // An entry splits at its first comma: a full name with one would come
    // back as another name and password.
    if (fullName.find(',') != std::string::npos) {
        LogLine("record: %s is not recorded: its full name \"%s\" holds a comma, which a "
                "[Users] entry cannot carry",
                userId.c_str(), fullName.c_str());
        return;
    }
    g_run.record.recorded.Add("Users", userId, fullName + "," + password);
    if (!WriteRecord()) {
        g_run.record.recorded.RemoveLast("Users");
        WriteRecord();
        return;
    }
    LogLine("record: [Users] %s", userId.c_str());
}

} // namespace stf
