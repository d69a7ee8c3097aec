#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "link/serial_line.h"
#include "link/serial_port_posix.h"

namespace travex {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// A pseudo-terminal pair: the port under test opens the slave by name, the test plays the
// calculator on the master.
class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            return;
        }
        slave_path_ = ::ptsname(master_);
        // The test keeps the slave open too, to look at its settings and so that the master
        // does not see a hang-up between the port's openings.
        slave_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() {
        ::close(master_);
        ::close(slave_);
    }
    bool ok() const { return master_ >= 0 && slave_ >= 0; }
    const std::string& slave_path() const { return slave_path_; }
    int slave() const { return slave_; }
    void close_master() { ::close(std::exchange(master_, -1)); }
    void send(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Everything that arrives within wait_ms after the last byte.
    std::vector<std::uint8_t> receive(int wait_ms = 100) {
        std::vector<std::uint8_t> bytes;
        for (;;) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, wait_ms) <= 0) {
                return bytes;
            }
            std::uint8_t chunk[4096];
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n <= 0) {
                return bytes;
            }
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
};

class RecordingClock final : public Clock {
public:
    std::vector<std::uint32_t> sleeps;
    std::uint64_t now_ms() override { return 0; }
    void sleep_ms(std::uint32_t ms) override { sleeps.push_back(ms); }
};

long long elapsed_ms(steady_clock::time_point since) {
    return std::chrono::duration_cast<milliseconds>(steady_clock::now() - since).count();
}

class PosixPort : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.ok()); }
    PtyPair pty;
    RecordingClock clock;
    PosixSerialPort port{[this](int) { return pty.slave_path(); }, clock, 0};
    void open_port() { ASSERT_EQ(port.OpenLinkPort(1), PortOpenResult::ok); }
};

TEST_F(PosixPort, OpeningAppliesTheLinkLineSettingsAndASpeedChangeKeepsThem) {
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
    ASSERT_TRUE(t.c_lflag & ECHO);  // a fresh terminal echoes: the port must change that
    for (const auto& [baud, speed] : {std::pair<int, speed_t>{0, B38400}, {115200, B115200}}) {
        if (baud == 0) {
            open_port();
        } else {
            EXPECT_TRUE(port.SetLinkBaud(baud));
            EXPECT_FALSE(port.SetLinkBaud(12345)) << "an unknown speed changes nothing";
        }
        ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
        EXPECT_EQ(::cfgetospeed(&t), speed);
        EXPECT_EQ(::cfgetispeed(&t), speed);
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_TRUE(t.c_cflag & CSTOPB) << "two stop bits";
        EXPECT_FALSE(t.c_cflag & (PARENB | CRTSCTS)) << "no parity, no hardware flow control";
        EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP));
        EXPECT_FALSE(t.c_oflag & OPOST);
        EXPECT_FALSE(t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN));
    }
    EXPECT_EQ(port.device(), pty.slave_path());
}

TEST_F(PosixPort, OpenCodesForBadNumbersMissingHeldAndRefusingDevicesAndPortsInUse) {
    int asked = 0;
    PosixSerialPort counting(
        [&](int n) {
            ++asked;
            return n == 7 ? std::string("/dev/travex-no-such-device") : std::string();
        },
        clock, 0);
    EXPECT_EQ(counting.OpenLinkPort(0), PortOpenResult::no_such_port);
    EXPECT_EQ(counting.OpenLinkPort(100), PortOpenResult::no_such_port);
    EXPECT_EQ(asked, 0) << "numbers outside 1..99 touch no device";
    EXPECT_EQ(counting.OpenLinkPort(7), PortOpenResult::no_such_port);
    EXPECT_EQ(counting.OpenLinkPort(8), PortOpenResult::no_such_port);  // no device for that number
    EXPECT_FALSE(counting.is_open());
    // /dev/null opens but takes no line settings: closed again, nothing held.
    PosixSerialPort not_a_line([](int) { return std::string("/dev/null"); }, clock, 0);
    EXPECT_EQ(not_a_line.OpenLinkPort(1), PortOpenResult::port_error);
    EXPECT_FALSE(not_a_line.is_open());
    // A device another program holds locked does not open.
    const int holder = ::open(pty.slave_path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(port.OpenLinkPort(1), PortOpenResult::no_such_port);
    ::close(holder);

    open_port();
    EXPECT_EQ(port.OpenLinkPort(1), PortOpenResult::in_use);
    PosixSerialPort other([this](int) { return pty.slave_path(); }, clock);
    EXPECT_EQ(other.OpenLinkPort(2), PortOpenResult::in_use) << "one link port per process";
    EXPECT_TRUE(port.is_open()) << "a refused open leaves the open port alone";
    pty.send({0x42});
    std::uint8_t buffer[8];
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 1u);
    EXPECT_TRUE(port.CloseLinkPort());
    EXPECT_FALSE(port.is_open());
    EXPECT_FALSE(port.CloseLinkPort());
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_EQ(other.OpenLinkPort(2), PortOpenResult::ok);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>{kOpenSettleMs}) << "a real line settles";
}

TEST_F(PosixPort, ReadWithNothingToReceiveEndsAfterTheTotalTimeOut) {
    open_port();
    std::uint8_t buffer[1024];
    const auto start = steady_clock::now();
    const PortReadResult r = port.ReadLinkBytes(buffer);
    EXPECT_GE(elapsed_ms(start), 250);
    EXPECT_EQ(r.status, PortReadStatus::received);
    EXPECT_EQ(r.received, 0u);
}

TEST_F(PosixPort, ReadAsksForHalfABufferLargerThanFive) {
    open_port();
    std::vector<std::uint8_t> sent(700);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<std::uint8_t>(i * 7);
    }
    pty.send(sent);
    std::vector<std::uint8_t> buffer(1024);
    // {buffer size, bytes received}: five or fewer are asked for whole.
    const std::pair<std::size_t, std::size_t> reads[] = {{1024, 512}, {5, 5}, {6, 3}, {1024, 180}};
    std::size_t at = 0;
    for (const auto& [size, received] : reads) {
        const PortReadResult r = port.ReadLinkBytes(std::span(buffer).first(size));
        EXPECT_EQ(r.status, PortReadStatus::received);
        ASSERT_EQ(r.received, received) << "buffer of " << size;
        EXPECT_TRUE(std::equal(buffer.begin(),
                               buffer.begin() + static_cast<std::ptrdiff_t>(received),
                               sent.begin() + static_cast<std::ptrdiff_t>(at)));
        at += received;
    }
}

TEST_F(PosixPort, ReadEndsWhenTheLineFallsQuietAfterTheLastByte) {
    open_port();
    std::atomic<bool> second_sent{false};
    std::thread calculator([&] {
        pty.send({1, 2, 3});
        std::this_thread::sleep_for(milliseconds(150));
        second_sent = true;
        pty.send({4, 5});
    });
    std::uint8_t buffer[1024];
    const bool read_started_in_time = !second_sent;
    const PortReadResult first = port.ReadLinkBytes(buffer);
    calculator.join();
    const PortReadResult second = port.ReadLinkBytes(buffer);
    if (!read_started_in_time) {
        GTEST_SKIP() << "the machine was too busy to start the read between the two bursts";
    }
    EXPECT_EQ(first.status, PortReadStatus::received);
    EXPECT_EQ(first.received, 3u);
    EXPECT_EQ(second.received, 2u);
    EXPECT_EQ(buffer[0], 4);
}

TEST_F(PosixPort, WritesReachTheOtherSideByteForByteAndPurgeDropsArrivals) {
    open_port();
    std::vector<std::uint8_t> packet = {0x31, 0x31, 0x42, 0x00, 0xA4, 0x0D, 0x0A, 0x11, 0x13};
    const PortWriteResult w = port.WriteLinkBytes(packet);
    EXPECT_EQ(w.status, PortWriteStatus::all_written);
    EXPECT_EQ(w.written, packet.size());
    EXPECT_EQ(pty.receive(), packet) << "no translation of line ends or flow-control bytes";
    EXPECT_EQ(port.WriteLinkBytes({}).status, PortWriteStatus::all_written);
    pty.send({9, 9, 9});
    // Wait until the bytes have reached the port's side of the line.
    pollfd p{pty.slave(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(port.PurgeLinkPort());
    std::uint8_t buffer[16];
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 0u);
}

TEST_F(PosixPort, WriteThatCannotDrainReportsTheBytesThatWentOut) {
    open_port();
    // Nobody reads the master: the terminal's buffers fill and the write time-out ends it.
    const std::vector<std::uint8_t> big(1 << 20, 0x55);
    const auto start = steady_clock::now();
    const PortWriteResult w = port.WriteLinkBytes(big);
    EXPECT_GE(elapsed_ms(start), 1250);
    EXPECT_EQ(w.status, PortWriteStatus::timed_out);
    EXPECT_GT(w.written, 0u);
    EXPECT_LT(w.written, big.size());
    const std::size_t arrived = pty.receive(50).size();
    EXPECT_EQ(arrived, w.written) << "the count is what the other side can read";
}

TEST_F(PosixPort, ClosedPortRefusesIoAndAHungUpLineIsAPortError) {
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(port.ReadLinkBytes(buffer).status, PortReadStatus::failed);
    EXPECT_EQ(port.WriteLinkBytes(buffer).status, PortWriteStatus::failed);
    EXPECT_FALSE(port.PurgeLinkPort());
    EXPECT_EQ(port.ClearLinkErrors(), 0u);
    EXPECT_FALSE(port.SetLinkBaud(38400));
    open_port();
    pty.close_master();
    const PortReadResult r = port.ReadLinkBytes(buffer);
    EXPECT_EQ(r.status, PortReadStatus::failed);
    EXPECT_EQ(r.error_code, 3);
}

}  // namespace
}  // namespace travex
