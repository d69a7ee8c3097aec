#include "link/serial_port_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

#include "link/serial_line.h"

namespace travex {
namespace {

using Millis = std::chrono::milliseconds;
using SteadyTime = std::chrono::steady_clock::time_point;

SteadyTime now() {
    return std::chrono::steady_clock::now();
}

// Milliseconds left until the deadline, rounded up so that a poll never ends early.
int millis_until(SteadyTime deadline) {
    const auto left = std::chrono::ceil<Millis>(deadline - now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

// Waits until fd is ready for events or the deadline passes: 1 ready, 0 time-out, -1 error.
int wait_ready(int fd, short events, SteadyTime deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, millis_until(deadline));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            if (now() >= deadline) {
                return 0;
            }
            continue;
        }
        // POLLERR, POLLHUP or POLLNVAL without the wanted event: the line is gone.
        return (p.revents & events) != 0 ? 1 : -1;
    }
}

speed_t speed_of(std::uint32_t rate) {
    switch (rate) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return 0;
    }
}

// Raw bytes, 38400 baud, 8 data bits, no parity, two stop bits, no flow control of any kind.
bool apply_line_settings(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        return false;
    }
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CRTSCTS);
    t.c_cflag |= static_cast<tcflag_t>(CS8 | CSTOPB | CREAD | CLOCAL);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, B38400) != 0 || ::cfsetospeed(&t, B38400) != 0) {
        return false;
    }
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

PosixSerialPort::PosixSerialPort(DeviceResolver resolver, Clock& clock, std::uint32_t settle_ms)
    : resolver_(std::move(resolver)), clock_(clock), settle_ms_(settle_ms) {}

PosixSerialPort::~PosixSerialPort() {
    if (is_open()) {
        CloseLinkPort();
    }
}

PortOpenResult PosixSerialPort::OpenLinkPort(int port_number) {
    if (const PortOpenResult claim = claim_link_port(is_open(), port_number);
        claim != PortOpenResult::ok) {
        return claim;
    }
    const std::string device = resolver_ ? resolver_(port_number) : std::string();
    const int fd =
        device.empty() ? -1 : ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        release_link_port();
        return PortOpenResult::no_such_port;
    }
    // Nobody else may use the line while the link holds it: like a COM port opened without
    // sharing, a device that another program holds counts as not available.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        release_link_port();
        return PortOpenResult::no_such_port;
    }
    fd_ = fd;
    device_ = device;
    if (!PurgeLinkPort() || !apply_line_settings(fd_)) {
        CloseLinkPort();
        return PortOpenResult::port_error;
    }
    // Exclusive use and DTR/RTS low, where the device has them (a pseudo-terminal has neither).
    ::ioctl(fd_, TIOCEXCL);
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_, TIOCMBIC, &lines);
    ClearLinkErrors();
    if (settle_ms_ > 0) {
        clock_.sleep_ms(settle_ms_);
    }
    return PortOpenResult::ok;
}

bool PosixSerialPort::CloseLinkPort() {
    if (!is_open()) {
        return false;
    }
    ClearLinkErrors();
    ::ioctl(fd_, TIOCNXCL);
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    device_.clear();
    release_link_port();
    return closed;
}

PortWriteResult PosixSerialPort::WriteLinkBytes(std::span<const std::uint8_t> bytes) {
    PortWriteResult result{PortWriteStatus::all_written, 0};
    if (!is_open()) {
        return {PortWriteStatus::failed, bytes.size()};
    }
    const SteadyTime deadline = now() + Millis(kWriteTotalTimeoutMs);
    while (result.written < bytes.size()) {
        const ssize_t n =
            ::write(fd_, bytes.data() + result.written, bytes.size() - result.written);
        if (n > 0) {
            result.written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // A failed write counts the whole request as written, as the Windows port does.
            return {PortWriteStatus::failed, bytes.size()};
        }
        const int ready = wait_ready(fd_, POLLOUT, deadline);
        if (ready == 0) {
            return {PortWriteStatus::timed_out, result.written};
        }
        if (ready < 0) {
            return {PortWriteStatus::failed, bytes.size()};
        }
    }
    return result;
}

PortReadResult PosixSerialPort::ReadLinkBytes(std::span<std::uint8_t> buffer) {
    if (!is_open()) {
        return {PortReadStatus::failed, 0, 3};
    }
    const std::size_t request = read_request_size(buffer.size());
    std::size_t got = 0;
    const SteadyTime total_deadline = now() + Millis(kReadTotalTimeoutMs);
    while (got < request) {
        // Before the first byte only the total time-out runs; after it, the interval time-out
        // ends the read once the line has been quiet that long.
        SteadyTime deadline = total_deadline;
        if (got > 0) {
            const SteadyTime interval_deadline = now() + Millis(kReadIntervalTimeoutMs);
            deadline = interval_deadline < total_deadline ? interval_deadline : total_deadline;
        }
        const int ready = wait_ready(fd_, POLLIN, deadline);
        if (ready == 0) {
            break;
        }
        const ssize_t n = ready > 0 ? ::read(fd_, buffer.data() + got, request - got) : -1;
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        // End of file or an error: the line is gone.
        ClearLinkErrors();
        return {PortReadStatus::failed, got, 3};
    }
    ClearLinkErrors();
    return {PortReadStatus::received, got, 0};
}

bool PosixSerialPort::PurgeLinkPort() {
    return is_open() && ::tcflush(fd_, TCIOFLUSH) == 0;
}

std::size_t PosixSerialPort::ClearLinkErrors() {
    int queued = 0;
    if (!is_open() || ::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued < 0) {
        return 0;
    }
    return static_cast<std::size_t>(queued);
}

bool PosixSerialPort::SetLinkBaud(std::uint32_t rate) {
    if (!is_open()) {
        return false;
    }
    clock_.sleep_ms(1);
    const speed_t speed = speed_of(rate);
    termios t{};
    if (speed == 0 || ::tcgetattr(fd_, &t) != 0) {
        return false;
    }
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) {
        return false;
    }
    return ::tcsetattr(fd_, TCSANOW, &t) == 0;
}

}  // namespace travex
