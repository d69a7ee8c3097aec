// The POSIX serial port on a real pseudo-terminal: the port opens the slave by name, the test
// plays the calculator on the master.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "link/serial_line.h"
#include "link/serial_port_posix.h"

namespace travex {
namespace {

using Bytes8 = std::vector<std::uint8_t>;

class RecordingClock final : public Clock {
public:
    std::vector<std::uint32_t> sleeps;
    std::uint64_t now_ms() override { return 0; }
    void sleep_ms(std::uint32_t ms) override { sleeps.push_back(ms); }
};

class PosixPort : public ::testing::Test {
protected:
    void SetUp() override {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_TRUE(master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0);
        slave_path_ = ::ptsname(master_);
        // The test keeps the slave open too, to look at its settings and so that the master
        // does not see a hang-up between the port's openings.
        slave_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(slave_, 0);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    void TearDown() override {
        ::close(master_);
        ::close(slave_);
    }
    void open_port() { ASSERT_EQ(port.OpenLinkPort(1), PortOpenResult::ok); }
    void send(const Bytes8& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Everything that arrives at the master within wait_ms after the last byte.
    Bytes8 receive(int wait_ms = 100) {
        Bytes8 bytes;
        std::uint8_t chunk[4096];
        pollfd p{master_, POLLIN, 0};
        for (ssize_t n = 0; ::poll(&p, 1, wait_ms) > 0 && (n = ::read(master_, chunk, 4096)) > 0;) {
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        return bytes;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
    RecordingClock clock;
    PosixSerialPort port{[this](int) { return slave_path_; }, clock, 0};
};

TEST_F(PosixPort, OpeningAppliesTheLinkLineSettingsAndASpeedChangeKeepsThem) {
    termios t{};
    for (const auto& [baud, speed] : {std::pair<int, speed_t>{0, B38400}, {115200, B115200}}) {
        if (baud == 0) {
            open_port();
        } else {
            EXPECT_TRUE(port.SetLinkBaud(baud));
            EXPECT_FALSE(port.SetLinkBaud(12345)) << "an unknown speed changes nothing";
        }
        ASSERT_EQ(::tcgetattr(slave_, &t), 0);
        EXPECT_EQ(::cfgetospeed(&t), speed);
        EXPECT_EQ(::cfgetispeed(&t), speed);
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_TRUE(t.c_cflag & CSTOPB) << "two stop bits";
        EXPECT_FALSE(t.c_cflag & (PARENB | CRTSCTS)) << "no parity, no hardware flow control";
        EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP));
        EXPECT_FALSE(t.c_oflag & OPOST);
        EXPECT_FALSE(t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN));
    }
}

TEST_F(PosixPort, OpenCodesForBadNumbersMissingHeldAndRefusingDevicesAndPortsInUse) {
    int asked = 0;
    PosixSerialPort counting(
        [&](int n) { return ++asked, n == 7 ? std::string("/dev/travex-none") : std::string(); },
        clock, 0);
    EXPECT_EQ(counting.OpenLinkPort(0), PortOpenResult::no_such_port);
    EXPECT_EQ(counting.OpenLinkPort(100), PortOpenResult::no_such_port);
    EXPECT_EQ(asked, 0) << "numbers outside 1..99 touch no device";
    EXPECT_EQ(counting.OpenLinkPort(7), PortOpenResult::no_such_port);
    EXPECT_EQ(counting.OpenLinkPort(8), PortOpenResult::no_such_port);  // no device for that number
    // A device another program holds locked is in use, not missing.
    const int holder = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(port.OpenLinkPort(1), PortOpenResult::in_use);
    ::close(holder);

    open_port();
    EXPECT_EQ(port.OpenLinkPort(1), PortOpenResult::in_use);
    PosixSerialPort other([this](int) { return slave_path_; }, clock);
    EXPECT_EQ(other.OpenLinkPort(2), PortOpenResult::in_use) << "one link port per process";
    EXPECT_TRUE(port.is_open()) << "a refused open leaves the open port alone";
    EXPECT_TRUE(port.CloseLinkPort());
    EXPECT_FALSE(port.CloseLinkPort());
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_EQ(other.OpenLinkPort(2), PortOpenResult::ok);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>{kOpenSettleMs}) << "a real line settles";
}

TEST_F(PosixPort, ReadAsksForHalfABufferLargerThanFive) {
    open_port();
    Bytes8 sent(700);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<std::uint8_t>(i * 7);
    }
    send(sent);
    Bytes8 buffer(1024);
    // {buffer size, bytes received}: five or fewer are asked for whole.
    const std::pair<std::size_t, std::size_t> reads[] = {{1024, 512}, {5, 5}, {6, 3}, {1024, 180}};
    auto at = sent.begin();
    for (const auto& [size, received] : reads) {
        const PortReadResult r = port.ReadLinkBytes(std::span(buffer).first(size));
        ASSERT_EQ(r.received, received) << "buffer of " << size;
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + r.received, at));
        at += static_cast<std::ptrdiff_t>(r.received);
    }
}

TEST_F(PosixPort, WritesReachTheOtherSideByteForByteAndPurgeDropsArrivals) {
    open_port();
    const Bytes8 packet = {0x31, 0x31, 0x42, 0x00, 0xA4, 0x0D, 0x0A, 0x11, 0x13};
    const PortWriteResult w = port.WriteLinkBytes(packet);
    EXPECT_EQ(w.status, PortWriteStatus::all_written);
    EXPECT_EQ(w.written, packet.size());
    EXPECT_EQ(receive(), packet) << "no translation of line ends or flow-control bytes";
    send({9, 9, 9});
    pollfd p{slave_, POLLIN, 0};  // the bytes have reached the port's side of the line
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(port.PurgeLinkPort());
    std::uint8_t buffer[16];
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 0u);
}

TEST_F(PosixPort, WriteThatCannotDrainReportsTheBytesThatWentOut) {
    open_port();
    // Nobody reads the master: the terminal's buffers fill and the write time-out ends it.
    const Bytes8 big(1 << 20, 0x55);
    const auto start = std::chrono::steady_clock::now();
    const PortWriteResult w = port.WriteLinkBytes(big);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1250));
    EXPECT_EQ(w.status, PortWriteStatus::timed_out);
    EXPECT_GT(w.written, 0u);
    EXPECT_LT(w.written, big.size());
    EXPECT_EQ(receive(50).size(), w.written) << "the count is what the other side can read";
}

TEST_F(PosixPort, ClosedPortRefusesIoAndAHungUpLineIsAPortError) {
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(port.ReadLinkBytes(buffer).status, PortReadStatus::failed);
    EXPECT_EQ(port.WriteLinkBytes(buffer).status, PortWriteStatus::failed);
    EXPECT_FALSE(port.PurgeLinkPort());
    EXPECT_FALSE(port.SetLinkBaud(38400));
    open_port();
    ::close(std::exchange(master_, -1));  // the cable is pulled
    const PortReadResult r = port.ReadLinkBytes(buffer);
    EXPECT_EQ(r.status, PortReadStatus::failed);
    EXPECT_EQ(r.error_code, 3);
}

}  // namespace
}  // namespace travex
