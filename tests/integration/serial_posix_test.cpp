// The POSIX serial port on a real pseudo-terminal: the port opens the slave by name, the test
// plays the calculator on the master. (Bytes through it unchanged: the CLI's sim_probe script.)
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "link/serial_line.h"
#include "link/serial_port_posix.h"

namespace travex {
namespace {

class RecordingClock final : public Clock {
public:
    std::vector<std::uint32_t> sleeps;
    std::uint64_t now_ms() override { return 0; }
    void sleep_ms(std::uint32_t ms) override { sleeps.push_back(ms); }
};

class PosixPort : public ::testing::Test {
protected:
    void SetUp() override {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_TRUE(master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0);
        slave_path_ = ::ptsname(master_);
        // The test holds the slave open too, to look at its settings and so that the master
        // sees no hang-up between the port's openings.
        slave_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(slave_, 0);
    }
    void TearDown() override {
        ::close(master_);
        ::close(slave_);
    }
    void open_port() { ASSERT_EQ(port.OpenLinkPort(1), PortOpenResult::ok); }
    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
    RecordingClock clock;
    PosixSerialPort port{[this](int) { return slave_path_; }, clock, 0};
};

TEST_F(PosixPort, OpeningAppliesTheLinkLineSettingsAndASpeedChangeKeepsThem) {
    for (const auto& [baud, speed] : {std::pair<int, speed_t>{0, B38400}, {115200, B115200}}) {
        if (baud == 0) {
            open_port();
        } else {
            EXPECT_TRUE(port.SetLinkBaud(baud));
            EXPECT_FALSE(port.SetLinkBaud(12345)) << "an unknown speed changes nothing";
        }
        termios t{};
        ASSERT_EQ(::tcgetattr(slave_, &t), 0);
        EXPECT_EQ(::cfgetospeed(&t), speed);
        EXPECT_EQ(::cfgetispeed(&t), speed);
        // Eight data bits, two stop bits, no parity, no flow control, no translation.
        EXPECT_EQ(t.c_cflag & (CSIZE | CSTOPB | PARENB | CRTSCTS), tcflag_t(CS8 | CSTOPB));
        EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP));
        EXPECT_FALSE(t.c_oflag & OPOST);
        EXPECT_FALSE(t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN));
    }
}

TEST_F(PosixPort, PortsInUseAreRefusedAndARealLineSettles) {
    // A device another program holds locked is in use, not missing.
    const int holder = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(port.OpenLinkPort(1), PortOpenResult::in_use);
    ::close(holder);
    open_port();
    PosixSerialPort other([this](int) { return slave_path_; }, clock);
    EXPECT_EQ(other.OpenLinkPort(2), PortOpenResult::in_use) << "one link port per process";
    EXPECT_TRUE(port.is_open()) << "a refused open leaves the open port alone";
    EXPECT_TRUE(port.CloseLinkPort());
    EXPECT_FALSE(port.CloseLinkPort());
    EXPECT_EQ(other.OpenLinkPort(2), PortOpenResult::ok);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>{kOpenSettleMs}) << "a real line settles";
}

TEST_F(PosixPort, ClosedPortRefusesIoAndAHungUpLineIsAPortError) {
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(port.ReadLinkBytes(buffer).status, PortReadStatus::failed);
    EXPECT_EQ(port.WriteLinkBytes(buffer).status, PortWriteStatus::failed);
    EXPECT_FALSE(port.PurgeLinkPort());
    open_port();
    ::close(std::exchange(master_, -1));  // the cable is pulled
    const PortReadResult r = port.ReadLinkBytes(buffer);
    EXPECT_EQ(r.status, PortReadStatus::failed);
    EXPECT_EQ(r.error_code, 3);
}

}  // namespace
}  // namespace travex
