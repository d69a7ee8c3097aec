// The application's link over the driver: the link engine talks to the simulated calculator
// through the driver core, which moves the bytes over the simulated bridge chip. Each item
// sent to the calculator comes back byte-identical.
#include <gtest/gtest.h>

#include "../integration/link_test_support.h"
#include "driver_harness.h"

namespace qmub::sim {
namespace {

using travex::Bytes;
using namespace serial;

// The serial port layer's calls, as the platform turns them into requests to the driver.
class DriverPort final : public travex::SerialPort, public travex::Clock {
public:
    explicit DriverPort(travex::PortPeer& peer) : peer_(peer) {
        h.AddAndStart();
        h.kernel.bridge().on_sent = [this](const uint8_t* data, size_t n) {
            Bytes reply = peer_.on_receive({data, n});
            std::lock_guard<std::mutex> lock(h.kernel.bridge_mutex());
            h.kernel.bridge().FeedFromPeer(reply.data(), reply.size());
        };
    }

    travex::PortOpenResult OpenLinkPort(int) override {
        handle_ = h.Open();
        if (handle_->status == kInsufficientResources)
            return travex::PortOpenResult::in_use;
        if (handle_->status != kSuccess)
            return travex::PortOpenResult::no_such_port;
        bool ok = h.Control(kSetBaudRate, DriverHarness::Word(38400))->status == kSuccess &&
                  h.Control(kSetLineControl, {2, 0, 8})->status == kSuccess &&
                  h.Control(kSetHandflow, std::vector<uint8_t>(16, 0))->status == kSuccess &&
                  h.Control(kClrDtr)->status == kSuccess && h.Control(kClrRts)->status == kSuccess;
        auto timeouts = DriverHarness::Timeouts(3, 0, 300);
        timeouts[16] = 0x14;  // write total 1300 ms
        timeouts[17] = 0x05;
        ok = ok && h.Control(kSetTimeouts, timeouts)->status == kSuccess &&
             h.Control(kPurge, DriverHarness::Word(0xF))->status == kSuccess;
        open_ = ok;
        return ok ? travex::PortOpenResult::ok : travex::PortOpenResult::port_error;
    }
    bool CloseLinkPort() override {
        if (open_)
            h.CloseHandle(handle_);
        open_ = false;
        return true;
    }
    bool is_open() const override { return open_; }
    travex::PortWriteResult WriteLinkBytes(std::span<const std::uint8_t> bytes) override {
        SimRequest* w = h.Write(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        if (!h.RunUntil([&] { return w->done(); }, 1300) || w->status != kSuccess)
            return {travex::PortWriteStatus::failed, 0};
        auto status = w->information == bytes.size() ? travex::PortWriteStatus::all_written
                                                     : travex::PortWriteStatus::timed_out;
        return {status, static_cast<size_t>(w->information)};
    }
    travex::PortReadResult ReadLinkBytes(std::span<std::uint8_t> buffer) override {
        size_t request = buffer.size() > 5 ? buffer.size() / 2 : buffer.size();
        SimRequest* r = h.Read(static_cast<uint32_t>(request));
        if (!h.RunUntil([&] { return r->done(); }, 1000))
            return {travex::PortReadStatus::failed, 0, 3};
        std::copy_n(r->buffer.begin(), r->information, buffer.begin());
        return {travex::PortReadStatus::received, static_cast<size_t>(r->information), 0};
    }
    bool PurgeLinkPort() override { return h.Control(kPurge, DriverHarness::Word(0xF))->done(); }
    std::size_t ClearLinkErrors() override {
        return DriverHarness::WordAt(h.Control(kGetCommStatus, {}, 20), 12);
    }
    bool SetLinkBaud(std::uint32_t rate) override {
        return h.Control(kSetBaudRate, DriverHarness::Word(rate))->status == kSuccess;
    }
    std::uint64_t now_ms() override { return h.kernel.now_us() / 1000; }
    void sleep_ms(std::uint32_t ms) override { h.kernel.Advance(ms); }

    DriverHarness h;

private:
    travex::PortPeer& peer_;
    SimRequest* handle_ = nullptr;
    bool open_ = false;
};

struct DriverRig {
    travex::sim::SimCalculator calculator;
    DriverPort port{calculator};
    travex::link::LinkSettings settings;
    travex::testing::FaultFileSystem fs;
    travex::linktest::ScriptedUi ui;
    travex::link::CountingProgress progress;
    travex::link::LinkSession session{port, port, settings, fs, ui, progress};
};

TEST(DriverLink, ProgramAndListGoToTheCalculatorAndComeBackIdentical) {
    DriverRig rig;
    const Bytes program = travex::linktest::file_image(
        '6', 'p', travex::linktest::calc_name("DRIVER"), "", travex::linktest::pattern(900, 3));
    const Bytes list =
        travex::linktest::file_image('6', 'l', travex::linktest::code_name(0x0811),
                                     "List file data", travex::linktest::pattern(100, 9));
    Bytes list_body = list;
    list_body[54] = 0x11;
    list_body[55] = 0x08;
    rig.fs.files["out/driver.g6p"] = program;
    rig.fs.files["out/l2.g6l"] = list_body;

    travex::link::LinkOutcome sent = rig.session.send({"out/driver.g6p", "out/l2.g6l"});
    ASSERT_TRUE(sent.ok) << travex::linktest::text_of(sent.message);
    EXPECT_FALSE(rig.port.is_open());

    travex::link::LinkOutcome got = rig.session.receive(
        [](const std::vector<travex::link::ReceiveItem>& all) {
            std::vector<travex::link::ReceiveItem> chosen;
            for (const auto& item : all) {
                if (item.line_text == "driver.g6p" || item.line_text == "l2.g6l") {
                    chosen.push_back(item);
                }
            }
            return chosen;
        },
        "in");
    ASSERT_TRUE(got.ok) << travex::linktest::text_of(got.message);
    EXPECT_EQ(rig.fs.files["in/driver.g6p"], program);
    EXPECT_EQ(rig.fs.files["in/l2.g6l"], list_body);
    EXPECT_EQ(rig.calculator.stats().goodbyes, 2);

    // What the chip was told: the application's line settings, DTR dropped.
    const SimBridge& bridge = rig.port.h.kernel.bridge();
    EXPECT_EQ(bridge.baud_index, 9);
    EXPECT_EQ(bridge.line_format, 0x07);
    EXPECT_EQ(bridge.dtr, 0);
    EXPECT_TRUE(rig.port.h.kernel.faults.empty());
    EXPECT_EQ(rig.port.h.ext.io_count.Load(), 1);
}

}  // namespace
}  // namespace qmub::sim
