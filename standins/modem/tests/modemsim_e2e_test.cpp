// End to end: the real modemsim program on a pseudo-terminal, driven through its
// link by a small paging client written here; then its record and log are read.
#include "standins/modem/scenario.h"
#include "standins/modem/sim_log.h"
#include "standins/modem/unique_fd.h"
#include "standins/modem/tests/test_driver.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace modemsim::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "modemsim-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty())
            fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// The simulator as a child process; killed if a test leaves it running.
class Modemsim {
  public:
    ~Modemsim() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Start(const std::vector<std::string>& args, const fs::path& output) {
        std::vector<std::string> all{MODEMSIM_BINARY};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0;
    }
    // Exit status after waiting up to 5 s; -1 when it did not exit normally.
    int Wait() {
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }
    int Stop(int signal) {
        ::kill(pid_, signal);
        return Wait();
    }

  private:
    pid_t pid_ = -1;
};

int RunToExit(const std::vector<std::string>& args, const fs::path& output) {
    Modemsim sim;
    if (!sim.Start(args, output))
        return -1;
    return sim.Wait();
}

bool WaitForFile(const fs::path& path) {
    for (int i = 0; i < 500; ++i) {
        if (fs::exists(path))
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// The client's side of the serial line.
class Port {
  public:
    bool Open(const fs::path& link) {
        fd_.reset(::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
        return static_cast<bool>(fd_);
    }
    void Close() { fd_.reset(); }
    int fd() const { return fd_.get(); }
    bool Send(std::string_view bytes) {
        return ::write(fd_.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Everything read until expected has arrived, or the time is up.
    std::string Expect(std::string_view expected, std::chrono::milliseconds limit = 2s) {
        std::string got;
        auto end = std::chrono::steady_clock::now() + limit;
        while (got.find(expected) == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd pfd{fd_.get(), POLLIN, 0};
            if (::poll(&pfd, 1, 20) != 1)
                continue;
            char buf[256];
            ssize_t n = ::read(fd_.get(), buf, sizeof buf);
            if (n > 0)
                got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    std::string Ask(std::string_view bytes, std::string_view expected,
                    std::chrono::milliseconds limit = 2s) {
        return Send(bytes) ? Expect(expected, limit) : "write failed";
    }

  private:
    UniqueFd fd_;
};

std::string Trim(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

TEST(ModemsimProgram, SendsAPageThroughThePty) {
    TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    fs::path link = dir.path() / "com1", ready = dir.path() / "ready";
    fs::path log = dir.path() / "sim.log", record = dir.path() / "pages.rec";
    Modemsim sim;
    ASSERT_TRUE(sim.Start({"--link", link, "--log", log, "--record", record, "--ready-file", ready,
                           "--connect-delay", "20", "--guard-ms", "200"},
                          dir.path() / "out.txt"));
    ASSERT_TRUE(WaitForFile(ready)) << ReadWholeFile(dir.path() / "out.txt");
    std::string slave = Trim(ReadWholeFile(ready));
    EXPECT_EQ(fs::read_symlink(link).string(), slave);

    Port port;
    ASSERT_TRUE(port.Open(link));
    // 300 bit/s, 7 bits, even parity, parity check: the pty keeps the speed only.
    termios t{};
    ASSERT_EQ(::tcgetattr(port.fd(), &t), 0);
    ::cfsetspeed(&t, B300);
    t.c_iflag |= INPCK;
    t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB;
    ASSERT_EQ(::tcsetattr(port.fd(), TCSANOW, &t), 0);
    std::this_thread::sleep_for(100ms);

    const std::string ok = "\r\nOK\r\n";
    EXPECT_EQ(port.Ask("ATE0\r", ok), "ATE0\r" + ok);
    EXPECT_EQ(port.Ask("ATDT5551234\r", "CONNECT 1200\r\n"), "\r\nCONNECT 1200\r\n");
    EXPECT_EQ(port.Ask("\r", "ID="), "ID=");
    EXPECT_EQ(port.Ask("\x1bPG1pw1\r", "[p\r"), kLogonOk);
    std::string block = Block({"5551234", "hello world"});
    EXPECT_EQ(port.Ask(block, "\x06\r"), kPageOk);
    EXPECT_EQ(port.Ask("\x04\r", "NO CARRIER\r\n"), "115 Goodbye\r\x1b\x04\r\r\nNO CARRIER\r\n");

    // The port can be closed and opened again; the modem keeps its settings.
    port.Close();
    ASSERT_TRUE(port.Open(link));
    EXPECT_EQ(port.Ask("AT\r", ok), ok);
    port.Close();

    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    EXPECT_EQ(ReadWholeFile(record),
              "page pager=5551234 message=hello world password=pw1 speed=300 block_hex=" +
                  HexBytes(block) + "\n");
    std::string text = ReadWholeFile(log);
    EXPECT_NE(text.find(" DTE> ATE0<13>\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" <DCE ATE0<13><13><10>OK<13><10>\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" EVENT line speed=300 parity-check=on"), std::string::npos) << text;
    EXPECT_NE(text.find(" EVENT connect 1200\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" EVENT stop\n"), std::string::npos) << text;
}

TEST(ModemsimProgram, NumericDialIsRecordedAndSigintStops) {
    TempDir dir;
    fs::path link = dir.path() / "com1", ready = dir.path() / "ready";
    fs::path record = dir.path() / "pages.rec";
    Modemsim sim;
    ASSERT_TRUE(sim.Start(
        {"--link", link, "--scenario", "numeric", "--record", record, "--ready-file", ready},
        dir.path() / "out.txt"));
    ASSERT_TRUE(WaitForFile(ready));
    EXPECT_EQ(ReadWholeFile(dir.path() / "out.txt"), "modemsim ready " + ReadWholeFile(ready));
    Port port;
    ASSERT_TRUE(port.Open(link));
    termios t{};
    ASSERT_EQ(::tcgetattr(port.fd(), &t), 0);
    ::cfsetspeed(&t, B1200);
    ASSERT_EQ(::tcsetattr(port.fd(), TCSANOW, &t), 0);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(port.Ask("ATE0\r", "OK\r\n"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(port.Ask("ATDT5551234,,,42#\r", "\n", 300ms), ""); // nothing is answered
    EXPECT_EQ(sim.Stop(SIGINT), 0);
    EXPECT_EQ(ReadWholeFile(record), "dial number=5551234,,,42# speed=1200\n");
}

// A termios client drops DTR by setting speed 0, as HylaFAX does on a pty.
TEST(ModemsimProgram, SpeedZeroDropsDtrAndEndsTheCall) {
    TempDir dir;
    fs::path link = dir.path() / "com1", ready = dir.path() / "ready";
    fs::path log = dir.path() / "sim.log";
    Modemsim sim;
    ASSERT_TRUE(sim.Start({"--link", link, "--log", log, "--ready-file", ready, "--connect-delay",
                           "20", "--password", "pw1"},
                          dir.path() / "out.txt"));
    ASSERT_TRUE(WaitForFile(ready));
    Port port;
    ASSERT_TRUE(port.Open(link));
    auto set_speed = [&](speed_t speed) {
        termios t{};
        ASSERT_EQ(::tcgetattr(port.fd(), &t), 0);
        ::cfsetspeed(&t, speed);
        ASSERT_EQ(::tcsetattr(port.fd(), TCSANOW, &t), 0);
        std::this_thread::sleep_for(100ms);
    };
    set_speed(B1200);
    EXPECT_EQ(port.Ask("ATE0\r", "OK\r\n"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(port.Ask("ATD1\r", "CONNECT 1200\r\n"), "\r\nCONNECT 1200\r\n");
    EXPECT_EQ(port.Ask("\r\x1bPG1\r", "\x15\r"), "ID=\x15\r"); // --password reached it
    set_speed(B0);
    set_speed(B1200);
    // ATH0 would have gone to the terminal as data; now the modem answers it.
    EXPECT_EQ(port.Ask("ATH0\r", "OK\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    std::string text = ReadWholeFile(log);
    EXPECT_NE(text.find(" EVENT line speed=0 "), std::string::npos) << text;
    EXPECT_NE(text.find(" EVENT hangup (DTR dropped)\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" password=pw1 max-block=0"), std::string::npos) << text;
}

TEST(ModemsimProgram, CommandLineContract) {
    TempDir dir;
    fs::path out = dir.path() / "out.txt";
    EXPECT_EQ(RunToExit({"--help"}, out), 0);
    std::string help = ReadWholeFile(out);
    for (const Scenario& s : AllScenarios())
        EXPECT_NE(help.find("  " + std::string(s.name) + " "), std::string::npos) << s.name;

    std::string link = (dir.path() / "com1").string();
    EXPECT_EQ(RunToExit({}, out), 2);
    EXPECT_EQ(RunToExit({"--link", link, "--scenario", "nope"}, out), 2);
    EXPECT_NE(ReadWholeFile(out).find("unknown scenario: nope"), std::string::npos);
    EXPECT_EQ(RunToExit({"--link", link, "--bogus", "1"}, out), 2);
    EXPECT_EQ(RunToExit({"--link", link, "--guard-ms", "soon"}, out), 2);
    EXPECT_EQ(RunToExit({"--link", link, "--scenario"}, out), 2);
    EXPECT_EQ(RunToExit({"--link", link, "--password", "toolong"}, out), 2);
    EXPECT_EQ(RunToExit({"--link", link, "--password", "a b"}, out), 2);
    EXPECT_EQ(RunToExit({"--link", link, "--max-block", "-1"}, out), 2);
    EXPECT_EQ(RunToExit({"--link", (dir.path() / "missing" / "com1").string()}, out), 1);
    EXPECT_NE(ReadWholeFile(out).find("modemsim: cannot"), std::string::npos);
    EXPECT_FALSE(fs::exists(link));
}

} // namespace
} // namespace modemsim::testing
