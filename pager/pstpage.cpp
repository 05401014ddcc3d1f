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
        const char* text = reinterpret_cast<const char*>(lParam);
        std::string line;
        for (const char* p = text; *p; ++p) {
            if (*p != '\r') // the trace's CR LF pairs become the console's line ends
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
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
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
    auto send = pagelink ? Export<SendAlphaMessageFn>(pagelink.get(), "SendAlphaMessage") : nullptr;
    if (!send) {
        std::fprintf(stderr, "pstpage: cannot load pagelink.dll beside pstpage.exe (error %lu)\n",
                     GetLastError());
        return 1;
    }
    HWND trace = CreateConsoleTrace();
    const int sent = send(trace, request.initString.c_str(), request.phoneNumber.c_str(),
                          request.pagerId.c_str(), request.message.c_str(), request.port,
                          static_cast<int>(request.speed));
    if (trace)
        DestroyWindow(trace);
    std::printf(sent ? "page accepted\n" : "page not sent\n");
    return sent ? 0 : 1;
}
