// The monitor service WATCHSVC run by the prefix's service control manager:
// what watchsvc.dat says about the other services, control code 135, readers
// holding the file, a prompt stop, and a missing or unusable TopDir. The file
// is read as the monitor window reads it (sharing write access only) and
// decoded here from its documented offsets.
#include "service_test_support.h"

#include "common/suite_registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

using postern::UniqueFile;
using postern::UniqueHkey;

namespace {

constexpr std::size_t kFileSize = 15920;
constexpr int kDisksRow = 13; // WATCHSVC itself

std::uint32_t U32(const std::string& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4); // little-endian, like the file
    return v;
}

std::string Text(const std::string& b, std::size_t at, std::size_t size) {
    const std::string field = b.substr(at, size);
    return field.substr(0, field.find('\0'));
}

struct Row {
    std::string label, detail1, status;
    std::uint32_t value1, flags, state, fault, value3, value4;
};

Row RowAt(const std::string& b, int i) {
    const std::size_t at = 88 + 468 * static_cast<std::size_t>(i);
    return {Text(b, at, 32),  Text(b, at + 32, 128), Text(b, at + 188, 256),
            U32(b, at + 444), U32(b, at + 448),      U32(b, at + 452),
            U32(b, at + 456), U32(b, at + 460),      U32(b, at + 464) & 0xFFFF};
}

std::uint32_t Sequence(const std::string& b) {
    return RowAt(b, kDisksRow).value3;
}
std::string DisksStatus(const std::string& b) {
    return RowAt(b, kDisksRow).status;
}

UniqueFile OpenLikeThePanel(const std::string& path) {
    return UniqueFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The whole file; empty (and error set) when it cannot be opened.
std::string ReadFileOf(const std::string& path, DWORD& error) {
    UniqueFile file = OpenLikeThePanel(path);
    error = file ? 0 : GetLastError();
    std::string bytes(kFileSize + 1, '\0');
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), bytes.data(), kFileSize + 1, &got, nullptr))
        got = 0;
    bytes.resize(got);
    return bytes;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD ServiceProcessId(const char* name) {
    postern::UniqueScHandle service = OpenNamedService(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                         sizeof status, &needed);
    return status.dwProcessId;
}

void SetProfile(const char* key, const char* value) {
    ASSERT_TRUE(WritePrivateProfileStringA("options", key, value, "watchsvc.exe"));
}

// TopDir as the installer stores it; null deletes the value.
void SetTopDir(const char* value) {
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey, 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    if (value == nullptr)
        RegDeleteValueA(key.get(), "TopDir");
    else
        RegSetValueExA(key.get(), "TopDir", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(std::strlen(value) + 1));
}

class WatchService : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        folder_ = std::string(temp) + "pstwatch-" + std::to_string(GetCurrentProcessId());
        dataFile_ = folder_ + "\\watchsvc.dat";
        CreateDirectoryA(folder_.c_str(), nullptr);
        SetTopDir(folder_.c_str());
        SetProfile("PollTime", "1");
        SetProfile("Denied", nullptr);
        const RunResult install = RunProgram("WatchSvc.exe", "-installquiet");
        ASSERT_EQ(install.exitCode, 0u) << install.output;
    }
    void TearDown() override {
        services_.RemoveAll(); // the service lets go of the folder first
        for (const std::string& f : {dataFile_, folder_ + "\\watchsvc.new", FallbackFile()})
            DeleteFileA(f.c_str());
        RemoveDirectoryA(folder_.c_str());
        SetTopDir(nullptr); // the prefix had no suite before the test
        SetProfile("PollTime", nullptr);
    }

    static std::string FallbackFile() { return ProgramDir() + "watchsvc.dat"; }

    void StartWatch() {
        ASSERT_EQ(StartNamedService("WATCHSVC"), 0u);
        ASSERT_TRUE(WaitForServiceState("WATCHSVC", SERVICE_RUNNING));
    }

    // Reads the file until done accepts a whole one; returns the last whole file.
    std::string WaitForFile(const std::function<bool(const std::string&)>& done,
                            const std::string& path = {}) {
        const std::string& file = path.empty() ? dataFile_ : path;
        const DWORD start = GetTickCount();
        std::string last;
        DWORD error = 0;
        while (GetTickCount() - start < 10000) {
            const std::string bytes = ReadFileOf(file, error);
            if (bytes.size() == kFileSize && done(last = bytes))
                return last;
            Sleep(100);
        }
        ADD_FAILURE() << "no matching " << file << " in 10 s (open error " << error << ")";
        return last;
    }
    std::string AnyFile(const std::string& path = {}) {
        return WaitForFile([](const std::string&) { return true; }, path);
    }
    // Sets a long poll period and waits until the service is in it.
    void SlowDown() {
        SetProfile("PollTime", "60");
        WaitForFile([](const std::string& f) { return RowAt(f, kDisksRow).value4 == 60; });
    }

    std::string folder_;
    std::string dataFile_;

  private:
    ServiceCleanup services_{"WATCHSVC", "DROPSVC", "RELAYSVC", "PLANSVC"};
};

} // namespace

TEST_F(WatchService, RowsShowTheServicesAsTheControlManagerSeesThem) {
    ASSERT_EQ(RunProgram("DROPSVC.exe", "-installquiet").exitCode, 0u);
    ASSERT_EQ(RunProgram("RELAYSVC.exe", "-installquiet").exitCode, 0u); // never started
    ASSERT_EQ(StartNamedService("DROPSVC"), 0u);
    ASSERT_TRUE(WaitForServiceState("DROPSVC", SERVICE_RUNNING));
    SetProfile("Denied", "10.1.2.3, 192.0.2.7");
    StartWatch();
    const std::string file = AnyFile();
    ASSERT_EQ(file.size(), kFileSize);

    const Row pop3 = RowAt(file, 1);
    EXPECT_EQ(pop3.detail1, "DROPSVC");
    EXPECT_EQ(Text(file, 88 + 468 + 160, 28), "auto start"); // detail2
    EXPECT_EQ(pop3.status, "running");
    EXPECT_EQ(pop3.flags & 1, 1u);
    EXPECT_EQ(pop3.state, 4u);
    EXPECT_EQ(pop3.fault, 0u);
    EXPECT_EQ(pop3.value1, ServiceProcessId("DROPSVC"));

    const Row smtp = RowAt(file, 0);
    EXPECT_EQ(smtp.status, "stopped, never started");
    EXPECT_EQ(smtp.flags & 1, 1u);
    EXPECT_EQ(smtp.state, 1u);
    EXPECT_EQ(smtp.fault, 1077u); // ERROR_SERVICE_NEVER_STARTED, as on Windows

    const Row finger = RowAt(file, 4); // PLANSVC, not installed
    EXPECT_EQ(finger.status, "not installed");
    EXPECT_EQ(finger.flags & 1, 0u);
    EXPECT_EQ(RowAt(file, 6).status, "not provided"); // DNS: the suite has none
    EXPECT_EQ(RowAt(file, 6).flags, 0u);

    const Row disks = RowAt(file, kDisksRow);
    EXPECT_EQ(disks.detail1, "WATCHSVC");
    EXPECT_EQ(disks.status.rfind("running, ", 0), 0u) << disks.status;
    EXPECT_NE(disks.status.find(" MB free"), std::string::npos) << disks.status;
    EXPECT_EQ(disks.flags & 1, 1u);
    EXPECT_EQ(disks.state, 4u);
    EXPECT_EQ(disks.fault, 0u);
    EXPECT_EQ(disks.value1, ServiceProcessId("WATCHSVC"));

    const char* labels[] = {"SMTP", "POP3", "PassSvc", "Whois", "Finger", "Syslog",  "DNS",
                            "NNTP", "WWW",  "Telnet",  "FTP",   "IMAP4",  "Gateway", "Disks"};
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(RowAt(file, i).label, labels[i]) << "row " << i;
    EXPECT_EQ(U32(file, 0), 0u) << "monitorWord";
    EXPECT_EQ(U32(file, 4), 0u) << "webWord: the suite has no web server";
    const std::string time = Text(file, 8, 80);
    EXPECT_TRUE(time.size() == 8 && time[2] == ':' && time[5] == ':') << time;
    EXPECT_EQ(file.substr(6640, 12), std::string("\x0a\x01\x02\x03\xc0\x00\x02\x07\0\0\0\0", 12));
    EXPECT_EQ(file.substr(6960 + 64, 4), std::string("\x7f\x00\x00\x01", 4));
    EXPECT_EQ(Text(file, 6960 + 68, 72), "local host");
}

TEST_F(WatchService, QuietControlShowsInTheNextFileAtOnce) {
    StartWatch();
    SlowDown(); // the next file now comes from the control code only
    ASSERT_EQ(ControlNamedService("WATCHSVC", 135), 0u);
    const DWORD sent = GetTickCount();
    const std::string quiet =
        WaitForFile([](const std::string& f) { return DisksStatus(f).rfind("quiet, ", 0) == 0; });
    EXPECT_LT(GetTickCount() - sent, 3000u);
    EXPECT_EQ(U32(quiet, 0), 1u) << "monitorWord bit 0";
    EXPECT_EQ(RowAt(quiet, kDisksRow).state, 4u);
    EXPECT_EQ(ServiceState("WATCHSVC"), static_cast<DWORD>(SERVICE_RUNNING));
}

// A reader that lets go within the retry period costs no poll period: the
// waiting write goes through at once.
TEST_F(WatchService, ShortHoldIsWaitedOutByTheSameWrite) {
    StartWatch();
    SlowDown();
    UniqueFile held = OpenLikeThePanel(dataFile_);
    ASSERT_TRUE(held) << "error " << GetLastError();
    ASSERT_EQ(ControlNamedService("WATCHSVC", 135), 0u); // asks for a write now
    Sleep(600);
    EXPECT_TRUE(Exists(folder_ + "\\watchsvc.new")) << "the new file waits beside the old";
    held.reset();
    const DWORD released = GetTickCount();
    const std::string quiet =
        WaitForFile([](const std::string& f) { return DisksStatus(f).rfind("quiet", 0) == 0; });
    EXPECT_LT(GetTickCount() - released, 2000u);
    EXPECT_EQ(U32(quiet, 0) & 4, 0u) << "no write was given up";
    EXPECT_FALSE(Exists(folder_ + "\\watchsvc.new"));
}

// A reader that keeps the file longer than the retries: the old file stays
// whole, the write is given up, and the next one says so once it gets through.
TEST_F(WatchService, LongHoldKeepsTheOldFileUntilTheReaderLetsGo) {
    StartWatch();
    AnyFile();
    UniqueFile held = OpenLikeThePanel(dataFile_);
    ASSERT_TRUE(held) << "error " << GetLastError();
    Sleep(4500);
    std::string bytes(kFileSize + 1, '\0');
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(held.get(), bytes.data(), kFileSize + 1, &got, nullptr));
    ASSERT_EQ(got, kFileSize);
    bytes.resize(got);
    held.reset();
    const std::uint32_t heldSequence = Sequence(bytes);
    const std::string after =
        WaitForFile([&](const std::string& f) { return Sequence(f) > heldSequence; });
    EXPECT_EQ(U32(after, 0) & 4, 4u) << "monitorWord bit 2";
    EXPECT_NE(DisksStatus(after).find("last write kept the old file (error "), std::string::npos)
        << DisksStatus(after);
    const std::string next =
        WaitForFile([&](const std::string& f) { return Sequence(f) > Sequence(after); });
    EXPECT_EQ(U32(next, 0) & 4, 0u) << "the write after that is an ordinary one";
}

// The rename leaves the writer's own handle, which has delete access, on the
// new file until the writer closes it; a reader's open in that instant fails
// with a sharing violation, on Windows as under Wine. The file is never
// missing and never partial.
TEST_F(WatchService, ReadersNeverSeeAPartialOrMissingFile) {
    StartWatch();
    const std::uint32_t first = Sequence(AnyFile());
    std::uint32_t last = first;
    int reads = 0, busy = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 4000; Sleep(5)) {
        DWORD error = 0;
        const std::string bytes = ReadFileOf(dataFile_, error);
        if (error == ERROR_SHARING_VIOLATION) {
            ++busy;
            continue;
        }
        ASSERT_EQ(error, 0u) << "after " << reads << " reads";
        ASSERT_EQ(bytes.size(), kFileSize) << "after " << reads << " reads";
        ASSERT_EQ(RowAt(bytes, kDisksRow).label, "Disks");
        ASSERT_GE(Sequence(bytes), last);
        last = Sequence(bytes);
        ++reads;
    }
    EXPECT_GE(last, first + 2) << "the file was rewritten during " << reads << " reads";
    EXPECT_LT(busy, reads / 10) << busy << " sharing violations in " << reads << " reads";
}

TEST_F(WatchService, StopIsPromptWhateverThePollPeriod) {
    StartWatch();
    SlowDown();
    const DWORD asked = GetTickCount();
    ASSERT_EQ(ControlNamedService("WATCHSVC", SERVICE_CONTROL_STOP), 0u);
    ASSERT_TRUE(WaitForServiceState("WATCHSVC", SERVICE_STOPPED));
    EXPECT_LT(GetTickCount() - asked, 3000u);
    EXPECT_TRUE(Exists(dataFile_)) << "the last file stays for the monitor window";
    EXPECT_FALSE(Exists(folder_ + "\\watchsvc.new"));
}

// Without a usable TopDir the file goes beside the program, saying why.
TEST_F(WatchService, WithoutAUsableTopDirItWritesBesideItself) {
    SetTopDir(nullptr);
    StartWatch();
    std::string file = AnyFile(FallbackFile());
    EXPECT_EQ(U32(file, 0), 2u) << "monitorWord bit 1";
    EXPECT_EQ(DisksStatus(file), "running, TopDir not set, writing to the program's folder");
    EXPECT_FALSE(Exists(dataFile_));

    ASSERT_EQ(ControlNamedService("WATCHSVC", SERVICE_CONTROL_STOP), 0u);
    ASSERT_TRUE(WaitForServiceState("WATCHSVC", SERVICE_STOPPED));
    ASSERT_TRUE(DeleteFileA(FallbackFile().c_str()));
    SetTopDir("C:\\no\\such\\folder");
    StartWatch();
    file = AnyFile(FallbackFile());
    EXPECT_EQ(U32(file, 0), 2u);
    EXPECT_EQ(DisksStatus(file), "running, cannot write to C:\\no\\such\\folder (error 3)");
}
