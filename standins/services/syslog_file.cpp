// The Syslog server's record of what the servers tell it; see syslog_file.h.
#include "standins/services/syslog_file.h"

#include "standins/services/program_folder.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"

#include <windows.h>

#include <array>
#include <cstring>

namespace standins {

namespace {

constexpr char kSyslogService[] = "LOGSVC";

bool SyslogListens() {
    postern::UniqueScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    postern::UniqueScHandle service(
        manager ? OpenServiceA(manager.get(), kSyslogService, SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS status{};
    return service && QueryServiceStatus(service.get(), &status) &&
           (status.dwCurrentState == SERVICE_RUNNING ||
            status.dwCurrentState == SERVICE_STOP_PENDING);
}

// syslog.txt in the folder of this program (the suite's top directory).
bool SyslogPath(std::span<char> path) {
    char folder[MAX_PATH];
    if (!ProgramFolder(folder))
        return false;
    const std::size_t length = std::strlen(folder);
    return postern::FormatText(path, "%s%ssyslog.txt", folder,
                               length > 0 && folder[length - 1] == '\\' ? "" : "\\");
}

} // namespace

void TellSyslog(const char* service, const char* text) {
    if (std::strcmp(service, kSyslogService) != 0 && !SyslogListens())
        return;
    std::array<char, MAX_PATH + 16> path{};
    if (!SyslogPath(path))
        return;
    postern::UniqueFile file(CreateFileA(path.data(), FILE_APPEND_DATA,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    std::array<char, 256> line{};
    postern::FormatText(line, "%s\r\n", text);
    DWORD written = 0;
    if (file)
        WriteFile(file.get(), line.data(), static_cast<DWORD>(std::strlen(line.data())), &written,
                  nullptr);
}

} // namespace standins
