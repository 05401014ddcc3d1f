// A client program of the suite as the installer's program group sees it: it
// names itself and the folder it was started from, and ends when the
// operator closes the message.
#include <windows.h>

#include <array>

#include "common/bounded_format.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::array<char, MAX_PATH> program{};
    const DWORD length = GetModuleFileNameA(nullptr, program.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        postern::CopyText(program, "(unknown)");
    std::array<char, MAX_PATH + 128> text{};
    postern::FormatText(text, "%s\n\nThis program of the suite stands in for the real one.\n%s",
                        SUITE_CLIENT_TITLE, program.data());
    MessageBoxA(nullptr, text.data(), SUITE_CLIENT_TITLE, MB_OK | MB_ICONINFORMATION);
    return 0;
}
