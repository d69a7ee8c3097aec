// The virtual port: read time-outs, line speed and the output queue on the virtual clock.
#include <gtest/gtest.h>

#include "link/virtual_port.h"

namespace travex {
namespace {

class EchoPeer final : public PortPeer {
public:
    Bytes on_receive(std::span<const std::uint8_t> bytes) override {
        received.insert(received.end(), bytes.begin(), bytes.end());
        return Bytes(bytes.begin(), bytes.end());
    }
    Bytes received;
};

TEST(LinkVirtualPortOpen, ErrorsAndTheSettlePause) {
    VirtualClock clock;
    VirtualPort port(clock, nullptr);
    EXPECT_EQ(port.open(0), PortOpenResult::no_such_port);
    EXPECT_EQ(port.open(100), PortOpenResult::no_such_port);
    EXPECT_EQ(port.open(2), PortOpenResult::no_such_port);
    EXPECT_EQ(clock.now_ms(), 0u);
    port.fail_next_open(PortOpenResult::port_error);
    EXPECT_EQ(port.open(1), PortOpenResult::port_error);
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(port.open(1), PortOpenResult::ok);
    EXPECT_EQ(clock.now_ms(), 1000u);
    EXPECT_EQ(port.open(1), PortOpenResult::in_use);
    EXPECT_TRUE(port.is_open());
    EXPECT_TRUE(port.close());
    EXPECT_FALSE(port.close());
}

TEST(LinkVirtualPortRead, NothingToReadEndsAfter300MsWithZeroBytes) {
    VirtualClock clock;
    VirtualPort port(clock, nullptr);
    ASSERT_EQ(port.open(1), PortOpenResult::ok);
    std::array<std::uint8_t, 1024> buffer{};
    const std::uint64_t start = clock.now_ms();
    const PortReadResult r = port.read(buffer);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.received, 0u);
    EXPECT_EQ(clock.now_ms() - start, 300u);
}

TEST(LinkVirtualPortRead, BytesEndTheRead3MsAfterTheLastAndAtMostHalfTheCapacity) {
    VirtualClock clock;
    VirtualPortTiming timing;
    timing.line_rate = 1000;  // 1 ms a byte
    VirtualPort port(clock, nullptr, timing);
    ASSERT_EQ(port.open(1), PortOpenResult::ok);
    const std::uint64_t start = clock.now_us();
    port.inject(Bytes(10, 0x55));
    std::array<std::uint8_t, 1024> buffer{};
    PortReadResult r = port.read(buffer);
    EXPECT_EQ(r.received, 10u);
    EXPECT_EQ(clock.now_us() - start, 13'000u);

    port.inject(Bytes(700, 0x66));
    r = port.read(buffer);
    EXPECT_EQ(r.received, 512u) << "a 1024-byte buffer asks for 512";
    r = port.read(buffer);
    EXPECT_EQ(r.received, 188u);
    std::array<std::uint8_t, 5> small{};
    port.inject(Bytes(9, 1));
    EXPECT_EQ(port.read(small).received, 5u) << "up to 5 bytes are not halved";
}

TEST(LinkVirtualPortLine, OutputQueueDrainsAtTheLineRate) {
    VirtualClock clock;
    EchoPeer peer;
    VirtualPortTiming timing;
    timing.line_rate = 3491;
    VirtualPort port(clock, &peer, timing);
    ASSERT_EQ(port.open(1), PortOpenResult::ok);
    const Bytes data(349, 0x42);
    const PortWriteResult w = port.write(data);
    EXPECT_EQ(w.result, 0);
    EXPECT_EQ(w.written, 349u);
    EXPECT_EQ(port.clear_errors(), 349u);
    clock.sleep_ms(50);
    const std::size_t left = port.clear_errors();
    EXPECT_GT(left, 170u);
    EXPECT_LT(left, 180u);
    clock.sleep_ms(51);
    EXPECT_EQ(port.clear_errors(), 0u);
    EXPECT_EQ(peer.received, data);
}

TEST(LinkVirtualPortLine, EchoComesBackAfterBothLineTimesAndPurgeDropsOnlyArrivedBytes) {
    VirtualClock clock;
    EchoPeer peer;
    VirtualPortTiming timing;
    timing.line_rate = 1000;
    VirtualPort port(clock, &peer, timing);
    ASSERT_EQ(port.open(1), PortOpenResult::ok);
    port.write(Bytes{1, 2, 3});
    std::array<std::uint8_t, 64> buffer{};
    const std::uint64_t start = clock.now_us();
    const PortReadResult r = port.read(buffer);
    ASSERT_EQ(r.received, 3u);
    EXPECT_EQ(buffer[2], 3);
    // Out at 1, 2, 3 ms; each echo byte 1 ms behind on the way back; then the 3 ms interval.
    EXPECT_EQ(clock.now_us() - start, 4'000u + 3'000u);

    port.write(Bytes{4, 5, 6, 7});
    clock.sleep_ms(3);  // out at +1..+4 ms, echoes at +2..+5: 4 and 5 have arrived, 6 and 7 not
    EXPECT_TRUE(port.purge());
    const PortReadResult after = port.read(buffer);
    EXPECT_EQ(after.received, 2u);
    EXPECT_EQ(buffer[0], 6);
}

TEST(LinkVirtualPortLine, ShortWriteAndClosedPort) {
    VirtualClock clock;
    VirtualPort port(clock, nullptr);
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(port.read(buffer).result, 2);
    EXPECT_EQ(port.write(Bytes{1, 2}).result, 1);
    ASSERT_EQ(port.open(1), PortOpenResult::ok);
    port.limit_next_write(3);
    const PortWriteResult w = port.write(Bytes(10, 1));
    EXPECT_EQ(w.result, 2);
    EXPECT_EQ(w.written, 3u);
    EXPECT_EQ(port.write(Bytes(10, 1)).written, 10u);
}

}  // namespace
}  // namespace travex
