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

VirtualPortTiming at_rate(std::uint32_t bytes_per_second) {
    VirtualPortTiming timing;
    timing.line_rate = bytes_per_second;
    return timing;
}

TEST(LinkVirtualPortOpen, ErrorsSettlePauseAndClosedPortIo) {
    VirtualClock clock;
    VirtualPort port(clock, nullptr);
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(port.ReadLinkBytes(buffer).status, PortReadStatus::failed);
    EXPECT_EQ(port.WriteLinkBytes(Bytes{1, 2}).status, PortWriteStatus::failed);
    for (const int number : {0, 100, 2}) {
        EXPECT_EQ(port.OpenLinkPort(number), PortOpenResult::no_such_port) << number;
    }
    EXPECT_EQ(clock.now_ms(), 0u);
    port.fail_next_open(PortOpenResult::port_error);
    EXPECT_EQ(port.OpenLinkPort(1), PortOpenResult::port_error);
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(port.OpenLinkPort(1), PortOpenResult::ok);
    EXPECT_EQ(clock.now_ms(), 1000u);
    EXPECT_EQ(port.OpenLinkPort(1), PortOpenResult::in_use);
    EXPECT_TRUE(port.is_open());
    port.limit_next_write(3);
    const PortWriteResult w = port.WriteLinkBytes(Bytes(10, 1));
    EXPECT_EQ(w.status, PortWriteStatus::timed_out);
    EXPECT_EQ(w.written, 3u);
    EXPECT_EQ(port.WriteLinkBytes(Bytes(10, 1)).written, 10u) << "only the next write is short";
    EXPECT_TRUE(port.CloseLinkPort());
    EXPECT_FALSE(port.CloseLinkPort());
}

TEST(LinkVirtualPortRead, EmptyReadTakes300MsBytesEnd3MsAfterTheLastAtMostHalfTheBuffer) {
    VirtualClock clock;
    VirtualPort port(clock, nullptr, at_rate(1000));  // 1 ms a byte
    ASSERT_EQ(port.OpenLinkPort(1), PortOpenResult::ok);
    std::array<std::uint8_t, 1024> buffer{};
    std::uint64_t start = clock.now_us();
    const PortReadResult empty = port.ReadLinkBytes(buffer);
    EXPECT_EQ(empty.status, PortReadStatus::received);
    EXPECT_EQ(empty.received, 0u);
    EXPECT_EQ(clock.now_us() - start, 300'000u);
    start = clock.now_us();
    port.inject(Bytes(10, 0x55));
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 10u);
    EXPECT_EQ(clock.now_us() - start, 13'000u);
    port.inject(Bytes(700, 0x66));
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 512u) << "a 1024-byte buffer asks for 512";
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 188u);
    std::array<std::uint8_t, 5> small{};
    port.inject(Bytes(9, 1));
    EXPECT_EQ(port.ReadLinkBytes(small).received, 5u) << "up to 5 bytes are not halved";
    EXPECT_EQ(port.ReadLinkBytes(std::span(buffer).first(6)).received, 3u) << "6 are";
}

TEST(LinkVirtualPortLine, OutputQueueDrainsAtTheLineRate) {
    VirtualClock clock;
    EchoPeer peer;
    VirtualPort port(clock, &peer, at_rate(3491));
    ASSERT_EQ(port.OpenLinkPort(1), PortOpenResult::ok);
    const Bytes data(349, 0x42);
    const PortWriteResult w = port.WriteLinkBytes(data);
    EXPECT_EQ(w.status, PortWriteStatus::all_written);
    EXPECT_EQ(w.written, 349u);
    EXPECT_EQ(port.ClearLinkErrors(), 349u);
    clock.sleep_ms(50);
    const std::size_t left = port.ClearLinkErrors();
    EXPECT_TRUE(left > 170u && left < 180u) << left;
    clock.sleep_ms(51);
    EXPECT_EQ(port.ClearLinkErrors(), 0u);
    EXPECT_EQ(peer.received, data);
}

TEST(LinkVirtualPortLine, EchoComesBackAfterBothLineTimesAndPurgeDropsOnlyArrivedBytes) {
    VirtualClock clock;
    EchoPeer peer;
    VirtualPort port(clock, &peer, at_rate(1000));
    ASSERT_EQ(port.OpenLinkPort(1), PortOpenResult::ok);
    port.WriteLinkBytes(Bytes{1, 2, 3});
    std::array<std::uint8_t, 64> buffer{};
    const std::uint64_t start = clock.now_us();
    ASSERT_EQ(port.ReadLinkBytes(buffer).received, 3u);
    EXPECT_EQ(buffer[2], 3);
    // Out at 1, 2, 3 ms; each echo byte 1 ms behind on the way back; then the 3 ms interval.
    EXPECT_EQ(clock.now_us() - start, 4'000u + 3'000u);
    port.WriteLinkBytes(Bytes{4, 5, 6, 7});
    clock.sleep_ms(3);  // out at +1..+4 ms, echoes at +2..+5: 4 and 5 have arrived, 6 and 7 not
    EXPECT_TRUE(port.PurgeLinkPort());
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 2u);
    EXPECT_EQ(buffer[0], 6);
}

}  // namespace
}  // namespace travex
