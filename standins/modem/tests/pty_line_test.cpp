// The pty line: raw from the start, client changes reported and undone, speed kept,
// and no end-of-file on the master when the client closes its side.
#include "standins/modem/pty_line.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace modemsim {
namespace {

class PtyLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(pty_.Open(error)) << error;
        client_.reset(::open(pty_.slave_path().c_str(), O_RDWR | O_NOCTTY));
        ASSERT_TRUE(client_) << "cannot open " << pty_.slave_path();
    }
    termios Settings() {
        termios t{};
        EXPECT_EQ(::tcgetattr(client_.get(), &t), 0);
        return t;
    }
    std::string ReadMaster() {
        pollfd pfd{pty_.master(), POLLIN, 0};
        if (::poll(&pfd, 1, 1000) != 1)
            return "";
        char buf[64];
        ssize_t n = ::read(pty_.master(), buf, sizeof buf);
        return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    }

    PtyLine pty_;
    UniqueFd client_;
};

TEST_F(PtyLineTest, StartsRawAndUnchanged) {
    termios t = Settings();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(pty_.speed(), SpeedToBps(::cfgetospeed(&t)));
    EXPECT_FALSE(pty_.Check().changed);
}

TEST_F(PtyLineTest, ReportsAClientChangeAndRestoresRawKeepingTheSpeed) {
    termios t = Settings();
    ::cfsetspeed(&t, B300);
    t.c_iflag |= INPCK;
    t.c_oflag |= OPOST | ONLCR;
    t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB;
    ASSERT_EQ(::tcsetattr(client_.get(), TCSANOW, &t), 0);

    LineCheck check = pty_.Check();
    EXPECT_TRUE(check.changed);
    EXPECT_EQ(check.requested.speed, 300);
    EXPECT_TRUE(check.requested.parity_check);
    EXPECT_EQ(check.restore_errno, 0);
    EXPECT_EQ(pty_.speed(), 300);

    termios after = Settings();
    EXPECT_EQ(SpeedToBps(::cfgetospeed(&after)), 300);
    EXPECT_EQ(after.c_iflag & INPCK, 0u);
    EXPECT_EQ(after.c_oflag & OPOST, 0u);
    EXPECT_FALSE(pty_.Check().changed);

    // Raw again: the client's LF reaches the master untouched.
    ASSERT_EQ(::write(client_.get(), "a\nb", 3), 3);
    EXPECT_EQ(ReadMaster(), "a\nb");

    // The same request again is a change again (it differs from the restored state).
    ASSERT_EQ(::tcsetattr(client_.get(), TCSANOW, &t), 0);
    EXPECT_TRUE(pty_.Check().changed);
}

TEST_F(PtyLineTest, ASpeedChangeAloneIsReported) {
    termios t = Settings();
    ::cfsetspeed(&t, B2400);
    ASSERT_EQ(::tcsetattr(client_.get(), TCSANOW, &t), 0);
    LineCheck check = pty_.Check();
    EXPECT_TRUE(check.changed);
    EXPECT_FALSE(check.requested.parity_check);
    EXPECT_EQ(pty_.speed(), 2400);
}

TEST_F(PtyLineTest, ClientCloseLeavesTheMasterUsable) {
    client_.reset();
    char c;
    EXPECT_EQ(::read(pty_.master(), &c, 1), -1);
    EXPECT_EQ(errno, EAGAIN); // not EIO: our own slave descriptor is still open
    client_.reset(::open(pty_.slave_path().c_str(), O_RDWR | O_NOCTTY));
    ASSERT_TRUE(client_);
    ASSERT_EQ(::write(client_.get(), "AT\r", 3), 3);
    EXPECT_EQ(ReadMaster(), "AT\r");
}

} // namespace
} // namespace modemsim
