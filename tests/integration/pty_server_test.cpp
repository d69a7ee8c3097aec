#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "link/hello_probe.h"
#include "link/real_clock.h"
#include "link/serial_port_posix.h"
#include "sim/pty_server.h"
#include "sim/sim_calculator.h"

namespace travex {
namespace {

namespace fs = std::filesystem;

// Pumps a server on a thread of its own while the test plays the computer.
std::jthread serve(sim::PtyServer& server, sim::BytePeer& peer, std::atomic<bool>& failed) {
    return std::jthread([&server, &peer, &failed](std::stop_token stop) {
        while (!stop.stop_requested() && !failed) {
            failed = !server.pump(peer, 5);
        }
    });
}

class CalculatorOnLine final : public sim::BytePeer {
public:
    sim::SimCalculator calculator;
    void receive(std::span<const std::uint8_t> bytes, std::uint64_t) override {
        const Bytes answer = calculator.on_receive(bytes);
        out_.insert(out_.end(), answer.begin(), answer.end());
    }
    Bytes take_output(std::uint64_t) override {
        Bytes out;
        out.swap(out_);
        return out;
    }

private:
    Bytes out_;
};

class PtyServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("travex-pty-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(PtyServerTest, LinkNamesTheTerminalWhileTheServerLives) {
    std::string error;
    {
        auto server = sim::open_pty_server(path("com1"), error);
        ASSERT_TRUE(server) << error;
        EXPECT_EQ(server->device_path(), path("com1"));
        EXPECT_EQ(fs::read_symlink(path("com1")).string(), server->terminal_path());
        // A second server takes the name over from a stale link.
        auto second = sim::open_pty_server(path("com1"), error);
        ASSERT_TRUE(second) << error;
        EXPECT_EQ(fs::read_symlink(path("com1")).string(), second->terminal_path());
        // The older server ending leaves the newer one's link alone.
        server.reset();
        EXPECT_EQ(fs::read_symlink(path("com1")).string(), second->terminal_path());
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(path("com1"))));
    // A file of another kind is never replaced.
    std::ofstream(path("keep")) << "user data";
    EXPECT_FALSE(sim::open_pty_server(path("keep"), error));
    EXPECT_NE(error.find("not a symbolic link"), std::string::npos);
    std::string text;
    std::getline(std::ifstream(path("keep")), text);
    EXPECT_EQ(text, "user data");
}

TEST_F(PtyServerTest, EchoesThroughTheLinkPortAcrossReopenings) {
    std::string error;
    auto server = sim::open_pty_server(path("line"), error);
    ASSERT_TRUE(server) << error;
    sim::EchoPeer echo;
    std::atomic<bool> failed{false};
    const std::jthread pump = serve(*server, echo, failed);
    PosixSerialPort port([&](int) { return server->device_path(); }, real_clock(), 0);
    for (int opening = 0; opening < 2; ++opening) {
        ASSERT_EQ(port.OpenLinkPort(1), PortOpenResult::ok);
        const Bytes sent = {0x31, 0x31, 0x42, 0x00, 0xA4, 0x11, 0x13, 0x0D, 0x0A, 0xFF};
        ASSERT_EQ(port.WriteLinkBytes(sent).status, PortWriteStatus::all_written);
        Bytes got;
        std::uint8_t buffer[64];
        for (int reads = 0; reads < 10 && got.size() < sent.size(); ++reads) {
            const PortReadResult r = port.ReadLinkBytes(buffer);
            ASSERT_EQ(r.status, PortReadStatus::received);
            got.insert(got.end(), buffer, buffer + r.received);
        }
        EXPECT_EQ(got, sent) << "opening " << opening;
        EXPECT_TRUE(port.CloseLinkPort());
    }
    EXPECT_FALSE(failed) << "a client closing the line does not end the server";
}

TEST_F(PtyServerTest, LinkEngineFindsTheSimulatedCalculatorOnTheTerminal) {
    std::string error;
    auto server = sim::open_pty_server(path("calc"), error);
    ASSERT_TRUE(server) << error;
    CalculatorOnLine peer;
    std::atomic<bool> failed{false};
    const std::jthread pump = serve(*server, peer, failed);
    PosixSerialPort port([&](int) { return server->device_path(); }, real_clock(), 0);
    link::LinkSettings settings;
    settings.timer_interval_ms = 20;
    const auto result = link::probe_with_hello(port, 1, settings, real_clock());
    EXPECT_TRUE(result.answered) << "code " << result.code;
    EXPECT_FALSE(port.is_open());
    // The goodbye has reached the calculator before the port closed.
    for (int i = 0; i < 50 && peer.calculator.stats().goodbyes == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(peer.calculator.stats().hellos, 1);
    EXPECT_EQ(peer.calculator.stats().goodbyes, 1);
}

}  // namespace
}  // namespace travex
