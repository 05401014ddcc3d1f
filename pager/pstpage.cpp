// pstpage: sends a page from a script or a monitoring system through
// pagelink.dll, printing the modem conversation as it happens.
#include "pager/pagelink.h"
#include "pager/pstpage_args.h"

#include "common/unique_handle.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace pager;

namespace {

// The library traces into an edit control: it asks for the text length, moves
// the caret to the end and inserts the line. This window answers those three
// messages by printing each inserted line to standard output at once.
LRESULT CALLBACK ConsoleTraceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    static LRESULT printed = 0;
    switch (msg) {
    case WM_GETTEXTLENGTH:
        return printed;
    case EM_SETSEL:
        return 0;
    case EM_REPLACESEL: {
        // CR LF ends a console line; a CR on its own (inside a command or a
        // reply) is shown as <13> so that the console keeps it visible.
        const char* text = reinterpret_cast<const char*>(lParam);
        std::string line;
        for (const char* p = text; *p; ++p) {
            if (p[0] == '\r' && p[1] == '\n')
                continue;
            if (*p == '\r')
                line += "<13>";
            else
                line += *p;
        }
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
        printed += static_cast<LRESULT>(std::char_traits<char>::length(text));
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

HWND CreateConsoleTrace() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ConsoleTraceProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PosternConsoleTrace";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
}

// pagelink.dll is looked for beside this program only.
postern::UniqueModule LoadPagelink() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n < MAX_PATH ? n : 0);
    dir.resize(dir.find_last_of('\\') + 1);
    return postern::UniqueModule(LoadLibraryA((dir + "pagelink.dll").c_str()));
}

template <typename Fn> Fn Export(HMODULE module, const char* name) {
    if (!module)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A dial value as the format's conversion takes it: a text pointer or a number.
DWORD_PTR DialArgument(const PageRequest& request, std::size_t index) {
    if (index >= request.values.size())
        return 0;
    const DialValue& v = request.values[index];
    return v.kind == DialValueKind::Text ? reinterpret_cast<DWORD_PTR>(v.text.c_str())
                                         : static_cast<DWORD_PTR>(v.number);
}

int SendNumeric(SendBeeperMessageFn send, HWND trace, const PageRequest& request) {
    return send(trace, DialArgument(request, 0),
                request.haveInit ? request.initString.c_str() : nullptr,
                request.dialFormat.c_str(), DialArgument(request, 1), request.port,
                static_cast<int>(request.speed), request.waitMs);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    PageRequest request;
    std::string error;
    if (ParsePageArguments(args, request, error) != 0) {
        std::fprintf(stderr, "pstpage: %s\n%s", error.c_str(), kPstpageUsage);
        return kUsageError;
    }
    if (request.message == "-") {
        std::string input;
        char chunk[512];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;)
            input.append(chunk, n);
        request.message = MessageFromInput(input);
    }
    postern::UniqueModule pagelink = LoadPagelink();
    auto sendAlpha = Export<SendAlphaMessageFn>(pagelink.get(), "SendAlphaMessage");
    auto sendBeeper = Export<SendBeeperMessageFn>(pagelink.get(), "SendBeeperMessage");
    if (!pagelink || !sendAlpha || !sendBeeper) {
        std::fprintf(stderr, "pstpage: cannot load pagelink.dll beside pstpage.exe (error %lu)\n",
                     GetLastError());
        return 1;
    }
    HWND trace = CreateConsoleTrace();
    const int sent = request.numeric ? SendNumeric(sendBeeper, trace, request)
                                     : sendAlpha(trace, request.initString.c_str(),
                                                 request.phoneNumber.c_str(),
                                                 request.pagerId.c_str(), request.message.c_str(),
                                                 request.port, static_cast<int>(request.speed));
    if (trace)
        DestroyWindow(trace);
    if (request.numeric)
        std::printf(sent ? "dial command sent\n" : "page not sent\n");
    else
        std::printf(sent ? "page accepted\n" : "page not sent\n");
    return sent ? 0 : 1;
}
