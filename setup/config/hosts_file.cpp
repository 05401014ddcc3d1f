// The HOSTS entry; see hosts_file.h. The file is read and appended through one
// handle that lets others only read meanwhile, so what is appended is decided
// on exactly the bytes it follows.
#include "setup/config/hosts_file.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"
#include "setup/config/hosts_text.h"
#include "setup/setup_trace.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr char kFallbackWindowsDir[] = "C:\\WINNT";
constexpr char kHostsBelowWindows[] = "\\system32\\drivers\\etc\\HOSTS";
constexpr DWORD kReadChunkSize = 16 * 1024;

// Feeds the whole file to the scanner; false on a read error.
bool ScanFile(HANDLE file, HostsScanner& scanner) {
    std::array<char, kReadChunkSize> chunk;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk.data(), kReadChunkSize, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        FeedHostsScan(scanner, std::string_view(chunk.data(), got));
    }
}

bool AppendBytes(HANDLE file, const std::string& bytes) {
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file, zero, nullptr, FILE_END))
        return false;
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Why no line could be looked for: the operator adds it by hand.
void WarnHostNotAdded(const char* hostName, const char* addressList) {
    const bool noAddress = addressList == nullptr || FirstAddress(addressList).empty() ||
                           std::string_view(addressList).size() < kMinAddressListLength;
    SetupWarning("HOSTS: no line for \"%.255s\" is added: %s", hostName != nullptr ? hostName : "",
                 noAddress ? "no IPv4 address of this machine is known"
                           : "the host name is not usable there");
}

// The lines that were due but could not be written, on one line.
void WarnNotWritten(const char* path, DWORD error, const std::string& addition) {
    std::string lines;
    std::string_view rest = addition;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            lines.append(lines.empty() ? "" : "; ").append(line);
    }
    SetupWarning("HOSTS: %s cannot be written (error %lu); not added: %.300s", path, error,
                 lines.c_str());
}

} // namespace

bool HostsFilePath(std::span<char> path) {
    std::array<char, 256> windows{};
    const UINT length = GetWindowsDirectoryA(windows.data(), static_cast<UINT>(windows.size()));
    if (length == 0 || length >= windows.size())
        postern::CopyText(windows, kFallbackWindowsDir);
    return postern::FormatText(path, "%s%s", windows.data(), kHostsBelowWindows);
}

int AddHostsEntry(const char* hostName, const char* addressList) {
    if (!HostsEntryUsable(hostName, addressList)) {
        WarnHostNotAdded(hostName, addressList);
        return 0;
    }
    std::array<char, 300> path;
    if (!HostsFilePath(path)) {
        SetupWarning("HOSTS: the path %s does not fit; %s is not added", path.data(), hostName);
        return 0;
    }

    // Read and write through one handle; a file that cannot be written
    // (read-only, in use) is still read, for the answer.
    postern::UniqueFile file(CreateFileA(path.data(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD writeError = file.valid() ? ERROR_SUCCESS : GetLastError();
    bool exists = true;
    if (!file) {
        if (writeError == ERROR_FILE_NOT_FOUND || writeError == ERROR_PATH_NOT_FOUND) {
            exists = false;
        } else {
            file.reset(CreateFileA(path.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) {
                SetupWarning("HOSTS: %s cannot be opened (error %lu), nor read (error %lu); %s "
                             "is not added",
                             path.data(), writeError, GetLastError(), hostName);
                return 0;
            }
        }
    }

    HostsScanner scanner;
    StartHostsScan(scanner, hostName);
    if (file && !ScanFile(file.get(), scanner)) {
        SetupWarning("HOSTS: %s cannot be read (error %lu); %s is not added", path.data(),
                     GetLastError(), hostName);
        return 0;
    }
    const int hostResult = scanner.scan.hostFound ? 1 : 0;
    const std::string addition = HostsAddition(scanner.scan, hostName, FirstAddress(addressList));
    if (addition.empty())
        return hostResult;

    if (!exists) {
        // Created only when it does not exist: an existing file is never truncated.
        file.reset(CreateFileA(path.data(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        writeError = file.valid() ? ERROR_SUCCESS : GetLastError();
    }
    if (writeError == ERROR_SUCCESS && !AppendBytes(file.get(), addition))
        writeError = GetLastError();
    if (writeError != ERROR_SUCCESS) {
        WarnNotWritten(path.data(), writeError, addition);
        return hostResult;
    }
    return 1;
}
