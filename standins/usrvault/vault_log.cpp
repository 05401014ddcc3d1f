// The call log (see vault_log.h).
#include "vault_log.h"

#include "common/unique_handle.h"

#include <array>
#include <cstdarg>

namespace usrvault {

namespace {

HMODULE g_module = nullptr;

constexpr char kLogName[] = "usrvault.log";

postern::UniqueFile OpenForAppend(const char* path) {
    return postern::UniqueFile(CreateFileA(path, FILE_APPEND_DATA,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The log beside the DLL, else in the temporary folder.
postern::UniqueFile OpenLog() {
    std::array<char, MAX_PATH> path{};
    const DWORD n = GetModuleFileNameA(g_module, path.data(), static_cast<DWORD>(path.size()));
    if (n > 0 && n < path.size()) {
        std::size_t slash = n;
        while (slash > 0 && path[slash - 1] != '\\')
            --slash;
        path[slash] = '\0';
        if (postern::AppendText(path, kLogName)) {
            postern::UniqueFile file = OpenForAppend(path.data());
            if (file)
                return file;
        }
    }
    const DWORD t = GetTempPathA(static_cast<DWORD>(path.size()), path.data());
    if (t == 0 || t >= path.size() || !postern::AppendText(path, kLogName))
        return postern::UniqueFile();
    return OpenForAppend(path.data());
}

} // namespace

void SetLogModule(HMODULE module) {
    g_module = module;
}

void LogCall(const char* format, ...) {
    std::array<char, 1024> text{};
    va_list args;
    va_start(args, format);
    postern::FormatTextV(text, format, args);
    va_end(args);
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::array<char, 1040> line{};
    postern::FormatText(std::span<char>(line).first(line.size() - 2), "%02u:%02u:%02u %s",
                        now.wHour, now.wMinute, now.wSecond, text.data());
    postern::AppendText(line, "\r\n");
    postern::UniqueFile file = OpenLog();
    DWORD written = 0;
    if (file)
        WriteFile(file.get(), line.data(), static_cast<DWORD>(postern::BoundedLength(line)),
                  &written, nullptr);
}

} // namespace usrvault
