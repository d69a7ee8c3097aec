#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include "sim/pty_server.h"

namespace travex::sim {
namespace {

std::uint64_t now_ms() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

bool make_raw(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        return false;
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&t, B38400);
    ::cfsetospeed(&t, B38400);
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

class PosixPtyServer final : public PtyServer {
public:
    ~PosixPtyServer() override {
        // The link goes only while it still names this server's terminal: a newer server may
        // have taken the name over.
        if (!link_path_.empty()) {
            char target[4096];
            const ssize_t n = ::readlink(link_path_.c_str(), target, sizeof target - 1);
            if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == terminal_path_) {
                ::unlink(link_path_.c_str());
            }
        }
        if (slave_ >= 0) {
            ::close(slave_);
        }
        if (master_ >= 0) {
            ::close(master_);
        }
    }

    bool open(const std::string& link_path, std::string& error) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
            return false;
        }
        terminal_path_ = ::ptsname(master_);
        // The server keeps the terminal open itself: otherwise the master sees a hang-up each
        // time the last client closes it, and bytes would be lost between two openings.
        slave_ = ::open(terminal_path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0 || !make_raw(slave_)) {
            error = "cannot set up " + terminal_path_ + ": " + std::strerror(errno);
            return false;
        }
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        device_path_ = terminal_path_;
        if (!link_path.empty()) {
            struct stat st {};
            if (::lstat(link_path.c_str(), &st) == 0) {
                if (!S_ISLNK(st.st_mode)) {
                    error = link_path + ": exists and is not a symbolic link";
                    return false;
                }
                ::unlink(link_path.c_str());
            }
            if (::symlink(terminal_path_.c_str(), link_path.c_str()) != 0) {
                error = link_path + ": cannot make the link: " + std::strerror(errno);
                return false;
            }
            link_path_ = link_path;
            device_path_ = link_path;
        }
        return true;
    }

    const std::string& device_path() const override { return device_path_; }
    std::uint32_t line_baud() const override {
        termios t{};
        if (::tcgetattr(slave_, &t) != 0) {
            return 0;
        }
        switch (::cfgetospeed(&t)) {
            case B9600:
                return 9600;
            case B19200:
                return 19200;
            case B38400:
                return 38400;
            case B57600:
                return 57600;
            case B115200:
                return 115200;
            default:
                return 0;
        }
    }
    const std::string& terminal_path() const override { return terminal_path_; }

    bool pump(BytePeer& peer, int wait_ms) override {
        const std::uint64_t until = now_ms() + static_cast<std::uint64_t>(wait_ms);
        for (;;) {
            Bytes out = peer.take_output(now_ms());
            outgoing_.insert(outgoing_.end(), out.begin(), out.end());
            if (!flush()) {
                return false;
            }
            const std::uint64_t now = now_ms();
            if (now >= until) {
                return true;
            }
            // Short polls keep a paced peer's bytes flowing while the computer is silent.
            pollfd p{master_, static_cast<short>(POLLIN | (outgoing_.empty() ? 0 : POLLOUT)), 0};
            const int timeout = static_cast<int>(std::min<std::uint64_t>(until - now, 2));
            const int n = ::poll(&p, 1, timeout);
            if (n < 0 && errno != EINTR) {
                return false;
            }
            if (n > 0 && (p.revents & POLLIN) != 0) {
                std::uint8_t chunk[4096];
                const ssize_t got = ::read(master_, chunk, sizeof chunk);
                if (got > 0) {
                    peer.receive(std::span(chunk, static_cast<std::size_t>(got)), now_ms());
                } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
                    return false;
                }
            } else if (n > 0 && (p.revents & (POLLERR | POLLNVAL)) != 0) {
                return false;
            }
        }
    }

private:
    // Writes what the terminal takes now; the rest waits for the next pass.
    bool flush() {
        while (!outgoing_.empty()) {
            const ssize_t n = ::write(master_, outgoing_.data(), outgoing_.size());
            if (n > 0) {
                outgoing_.erase(outgoing_.begin(), outgoing_.begin() + n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                return true;
            }
            return false;
        }
        return true;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string terminal_path_;
    std::string device_path_;
    std::string link_path_;
    Bytes outgoing_;
};

volatile std::sig_atomic_t g_stop = 0;

void request_stop(int) {
    g_stop = 1;
}

}  // namespace

std::unique_ptr<PtyServer> open_pty_server(const std::string& link_path, std::string& error) {
    auto server = std::make_unique<PosixPtyServer>();
    if (!server->open(link_path, error)) {
        return nullptr;
    }
    return server;
}

int serve_until_stopped(PtyServer& server, BytePeer& peer) {
    g_stop = 0;
    struct sigaction action {};
    action.sa_handler = request_stop;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    while (!g_stop) {
        if (!server.pump(peer, 50)) {
            return 1;
        }
    }
    return 0;
}

}  // namespace travex::sim
