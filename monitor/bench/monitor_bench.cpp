// Prints what one poll and one dump of the monitor frontend cost, the panel's
// memory and the program's size; it never fails on the figures.
//
//   monitor_bench.exe [POLLS [DUMPS]]     (defaults 2000 and 10)
//
// The panel and the log are the real ones, created from their templates in
// this process, with a full data file (every address slot in use, so a dump is
// at its longest) in a folder of their own under %TEMP%.
//   poll:  ReadMonitorFile and UpdatePanel, as one timer tick runs them
//   dump:  Clear Log: empty the log, DumpSnapshot, repaint
// CPU time is the process's user plus kernel time, divided by the count.
// Private memory is the process's commit charge (PagefileUsage: the private
// bytes on Windows NT; Wine does not fill PrivateUsage).
#include "monitor/log_window.h"
#include "monitor/monitor_file.h"
#include "monitor/monitor_reader.h"
#include "monitor/res/pstview_rc.h"
#include "monitor/startup.h"
#include "monitor/status_panel.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace monitor;

namespace {

double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return double(ticks(kernel) + ticks(user)) / 10000.0;
}

double WallMs() {
    LARGE_INTEGER freq, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&now);
    return 1000.0 * double(now.QuadPart) / double(freq.QuadPart);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A data file with every field in use.
bool WriteFullDataFile(const std::string& folder) {
    auto image = std::make_unique<MonitorFile>(InitialMonitorFile());
    image->monitorWord = 0x12345678;
    image->webWord = 0x9ABCDEF0;
    std::snprintf(image->timeText.data(), image->timeText.size(), "benchmark snapshot");
    for (std::size_t row = 0; row < kServiceCount; ++row) {
        ServiceEntry& e = image->services[row];
        std::snprintf(e.label.data(), e.label.size(), "Svc%zu", row);
        std::snprintf(e.detail1.data(), e.detail1.size(), "detail one of row %zu", row);
        std::snprintf(e.detail2.data(), e.detail2.size(), "detail two");
        std::snprintf(e.statusText.data(), e.statusText.size(), "Running since a while, row %zu",
                      row);
        e.flags = 1;
        e.state = 4;
        e.fault = row % 3 == 0 ? 7 : 0;
    }
    for (std::size_t slot = 0; slot < kDeniedCount; ++slot)
        image->denied[slot] = {192, 168, 1, static_cast<std::uint8_t>(slot + 1)};
    for (std::size_t slot = 0; slot < kAddressCount; ++slot) {
        image->addresses[slot].address = {10, 0, 0, static_cast<std::uint8_t>(slot + 1)};
        std::snprintf(image->addresses[slot].text.data(), image->addresses[slot].text.size(),
                      "host%zu.example.com relaying allowed", slot);
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\watchsvc.dat";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, image.get(), sizeof(MonitorFile), &written, nullptr);
    CloseHandle(file);
    return ok && written == sizeof(MonitorFile);
}

double PrivateKiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return double(counters.PagefileUsage) / 1024.0;
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

int main(int argc, char** argv) {
    const int polls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int dumps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "pstview-bench-" + std::to_string(GetCurrentProcessId());
    if (!WriteFullDataFile(folder)) {
        std::fprintf(stderr, "cannot write the data file in %s (error %lu)\n", folder.c_str(),
                     GetLastError());
        return 1;
    }
    AppInstance = GetModuleHandleA(nullptr);
    std::snprintf(TopDir.data(), TopDir.size(), "%s", folder.c_str());

    const double before = PrivateKiB();
    HWND panel = CreateDialogParamA(AppInstance, "DLG_MAIN", nullptr, PanelDialogProc, 0);
    if (panel == nullptr) {
        std::fprintf(stderr, "DLG_MAIN could not be created (error %lu)\n", GetLastError());
        return 1;
    }
    Pump();
    const double withPanel = PrivateKiB();

    double cpu0 = CpuMs(), wall0 = WallMs();
    for (int i = 0; i < polls; ++i) {
        ReadMonitorFile(panel);
        UpdatePanel(panel, IDC_STATUS_FIRST, static_cast<int>(kServiceCount));
    }
    const double pollCpu = (CpuMs() - cpu0) / polls, pollWall = (WallMs() - wall0) / polls;

    // Between polls the panel only waits for its timer: the CPU used while the
    // message loop idles for three seconds (any poll that falls in the window
    // is counted with it).
    cpu0 = CpuMs();
    const double idleStart = WallMs();
    for (double left = 3000; left > 0; left = 3000 - (WallMs() - idleStart)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
        Pump();
    }
    const double idleCpu = CpuMs() - cpu0;

    SendMessageA(panel, WM_COMMAND, IDC_VIEW, 0);
    Pump();
    HWND log = LogEdit ? GetParent(LogEdit) : nullptr;
    if (log == nullptr) {
        std::fprintf(stderr, "the debug log did not open\n");
        return 1;
    }
    cpu0 = CpuMs();
    wall0 = WallMs();
    for (int i = 0; i < dumps; ++i)
        SendMessageA(log, WM_COMMAND, IDC_CLEARLOG, 0);
    const double dumpCpu = (CpuMs() - cpu0) / dumps, dumpWall = (WallMs() - wall0) / dumps;
    const LRESULT dumpChars = SendMessageA(LogEdit, WM_GETTEXTLENGTH, 0, 0);

    const double withLog = PrivateKiB();

    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string exe(self, n);
    exe.resize(exe.find_last_of('\\') + 1);
    exe += "pstview.exe";

    std::printf("poll (read + panel update): CPU %.4f ms, wall %.4f ms (mean of %d)\n", pollCpu,
                pollWall, polls);
    std::printf("between polls: CPU %.1f ms in 3 s of an idle message loop\n", idleCpu);
    std::printf("dump (Clear Log, %ld characters): CPU %.4f ms, wall %.4f ms (mean of %d)\n",
                static_cast<long>(dumpChars), dumpCpu, dumpWall, dumps);
    std::printf("private memory: %.1f KiB with the panel open (+%.1f KiB for the panel), "
                "%.1f KiB with the log too\n",
                withPanel, withPanel - before, withLog);
    std::printf("pstview.exe: %lld bytes\n", FileSize(exe));

    DestroyWindow(panel);
    DeleteFileA((folder + "\\watchsvc.dat").c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
