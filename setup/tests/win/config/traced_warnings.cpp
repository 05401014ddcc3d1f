// The installer's traced warnings (see traced_warnings.h).
#include "traced_warnings.h"

#include <mutex>

namespace config_test {
namespace {

#ifndef DBG_PRINTEXCEPTION_C
constexpr DWORD DBG_PRINTEXCEPTION_C = 0x40010006;
#endif
constexpr char kPrefix[] = "pstsetup: warning: ";

std::mutex Lock;
std::vector<std::string> Collected;

// The exception's arguments: the length of the text with its terminator, and
// the text. The handler only reads them; the debugger's output still gets the
// line.
LONG CALLBACK Collect(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const auto length = static_cast<std::size_t>(record->ExceptionInformation[0]);
    const auto* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    if (text == nullptr || length == 0)
        return EXCEPTION_CONTINUE_SEARCH;
    std::string line(text, length - 1);
    if (line.rfind(kPrefix, 0) != 0)
        return EXCEPTION_CONTINUE_SEARCH;
    line.erase(0, sizeof kPrefix - 1);
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    const std::lock_guard<std::mutex> hold(Lock);
    Collected.push_back(line);
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

TracedWarnings::TracedWarnings() {
    {
        const std::lock_guard<std::mutex> hold(Lock);
        Collected.clear();
    }
    handler_ = AddVectoredExceptionHandler(1, Collect);
}

TracedWarnings::~TracedWarnings() {
    if (handler_ != nullptr)
        RemoveVectoredExceptionHandler(handler_);
}

std::vector<std::string> TracedWarnings::Texts() const {
    const std::lock_guard<std::mutex> hold(Lock);
    return Collected;
}

std::vector<std::string> TracedWarnings::Mentioning(const std::string& word) const {
    std::vector<std::string> found;
    for (const std::string& text : Texts())
        if (text.find(word) != std::string::npos)
            found.push_back(text);
    return found;
}

} // namespace config_test
