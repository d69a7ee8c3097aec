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
        close_master();
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    bool ok() const { return master_ >= 0 && slave_ >= 0; }
    const std::string& slave_path() const { return slave_path_; }
    int slave() const { return slave_; }
    void close_master() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }
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
    void open_port() { ASSERT_EQ(port.open(1), PortOpenResult::ok); }
};

TEST_F(PosixPort, OpeningAppliesTheLinkLineSettings) {
    termios before{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &before), 0);
    ASSERT_TRUE(before.c_lflag & ECHO);  // a fresh terminal echoes: the port must change that
    open_port();
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), B38400);
    EXPECT_EQ(::cfgetispeed(&t), B38400);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(t.c_cflag & CSTOPB) << "two stop bits";
    EXPECT_FALSE(t.c_cflag & PARENB) << "no parity";
    EXPECT_FALSE(t.c_cflag & CRTSCTS) << "no hardware flow control";
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY)) << "no software flow control";
    EXPECT_FALSE(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_FALSE(t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN));
    EXPECT_EQ(port.device(), pty.slave_path());
}

TEST_F(PosixPort, OpeningSettlesForOneSecondOnARealLine) {
    PosixSerialPort real_line([this](int) { return pty.slave_path(); }, clock);
    ASSERT_EQ(real_line.open(5), PortOpenResult::ok);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>{kOpenSettleMs});
}

TEST_F(PosixPort, OpenCodesForBadNumbersMissingDevicesAndPortsInUse) {
    int asked = 0;
    PosixSerialPort counting(
        [&](int n) {
            ++asked;
            return n == 7 ? std::string("/dev/travex-no-such-device") : std::string();
        },
        clock, 0);
    EXPECT_EQ(counting.open(0), PortOpenResult::no_such_port);
    EXPECT_EQ(counting.open(100), PortOpenResult::no_such_port);
    EXPECT_EQ(asked, 0) << "numbers outside 1..99 touch no device";
    EXPECT_EQ(counting.open(7), PortOpenResult::no_such_port);
    EXPECT_EQ(counting.open(8), PortOpenResult::no_such_port);  // no device for that number
    EXPECT_FALSE(counting.is_open());

    open_port();
    EXPECT_EQ(port.open(1), PortOpenResult::in_use);
    PosixSerialPort other([this](int) { return pty.slave_path(); }, clock, 0);
    EXPECT_EQ(other.open(2), PortOpenResult::in_use) << "one link port per process";
    EXPECT_TRUE(port.is_open()) << "a refused open leaves the open port alone";
    pty.send({0x42});
    std::uint8_t buffer[8];
    EXPECT_EQ(port.read(buffer).received, 1u);
    EXPECT_TRUE(port.close());
    EXPECT_FALSE(port.is_open());
    EXPECT_FALSE(port.close());
    EXPECT_EQ(other.open(2), PortOpenResult::ok);
}

TEST_F(PosixPort, DeviceHeldByAnotherProgramDoesNotOpen) {
    const int holder = ::open(pty.slave_path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(port.open(1), PortOpenResult::no_such_port);
    ::close(holder);
    EXPECT_EQ(port.open(1), PortOpenResult::ok);
}

TEST_F(PosixPort, DeviceThatRejectsTheLineSettingsIsClosedAgain) {
    PosixSerialPort not_a_line([](int) { return std::string("/dev/null"); }, clock, 0);
    EXPECT_EQ(not_a_line.open(1), PortOpenResult::port_error);
    EXPECT_FALSE(not_a_line.is_open());
    EXPECT_EQ(port.open(1), PortOpenResult::ok) << "the failed open left nothing held";
}

TEST_F(PosixPort, ReadWithNothingToReceiveEndsAfterTheTotalTimeOut) {
    open_port();
    std::uint8_t buffer[1024];
    const auto start = steady_clock::now();
    const PortReadResult r = port.read(buffer);
    EXPECT_GE(elapsed_ms(start), 250);
    EXPECT_EQ(r.result, 1);
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
    PortReadResult r = port.read(buffer);
    EXPECT_EQ(r.result, 1);
    ASSERT_EQ(r.received, 512u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 512, sent.begin()));
    r = port.read(std::span(buffer).first(5));  // five or fewer are asked for whole
    ASSERT_EQ(r.received, 5u);
    EXPECT_EQ(buffer[0], sent[512]);
    r = port.read(std::span(buffer).first(6));
    ASSERT_EQ(r.received, 3u);
    EXPECT_EQ(buffer[2], sent[519]);
    r = port.read(buffer);
    EXPECT_EQ(r.received, 700u - 520u);
    EXPECT_EQ(buffer[0], sent[520]);
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
    const PortReadResult first = port.read(buffer);
    calculator.join();
    const PortReadResult second = port.read(buffer);
    if (!read_started_in_time) {
        GTEST_SKIP() << "the machine was too busy to start the read between the two bursts";
    }
    EXPECT_EQ(first.result, 1);
    EXPECT_EQ(first.received, 3u);
    EXPECT_EQ(second.received, 2u);
    EXPECT_EQ(buffer[0], 4);
}

TEST_F(PosixPort, ReadOnALineThatHungUpFailsWithPortError) {
    open_port();
    pty.close_master();
    std::uint8_t buffer[16];
    const PortReadResult r = port.read(buffer);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(r.error_code, 3);
}

TEST_F(PosixPort, CompleteWritesReachTheOtherSideByteForByte) {
    open_port();
    std::vector<std::uint8_t> packet = {0x31, 0x31, 0x42, 0x00, 0xA4, 0x0D, 0x0A, 0x11, 0x13};
    const PortWriteResult w = port.write(packet);
    EXPECT_EQ(w.result, 0);
    EXPECT_EQ(w.written, packet.size());
    EXPECT_EQ(pty.receive(), packet) << "no translation of line ends or flow-control bytes";
    EXPECT_EQ(port.write({}).result, 0);
}

TEST_F(PosixPort, WriteThatCannotDrainReportsTheBytesThatWentOut) {
    open_port();
    // Nobody reads the master: the terminal's buffers fill and the write time-out ends it.
    const std::vector<std::uint8_t> big(1 << 20, 0x55);
    const auto start = steady_clock::now();
    const PortWriteResult w = port.write(big);
    EXPECT_GE(elapsed_ms(start), 1250);
    EXPECT_EQ(w.result, 2);
    EXPECT_GT(w.written, 0u);
    EXPECT_LT(w.written, big.size());
    const std::size_t arrived = pty.receive(50).size();
    EXPECT_EQ(arrived, w.written) << "the count is what the other side can read";
}

TEST_F(PosixPort, PurgeDropsWhatHasArrived) {
    open_port();
    pty.send({9, 9, 9});
    // Wait until the bytes have reached the port's side of the line.
    pollfd p{pty.slave(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(port.purge());
    std::uint8_t buffer[16];
    EXPECT_EQ(port.read(buffer).received, 0u);
}

TEST_F(PosixPort, SpeedChangeKeepsTheOtherLineSettings) {
    open_port();
    EXPECT_TRUE(port.set_baud(115200));
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), B115200);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(port.set_baud(12345));
    ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), B115200);
}

TEST_F(PosixPort, ClosedPortRefusesIo) {
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(port.read(buffer).result, 2);
    EXPECT_EQ(port.write(buffer).result, 1);
    EXPECT_FALSE(port.purge());
    EXPECT_EQ(port.clear_errors(), 0u);
    EXPECT_FALSE(port.set_baud(38400));
}

}  // namespace
}  // namespace travex
