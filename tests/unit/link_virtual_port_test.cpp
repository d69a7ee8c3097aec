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

}  // namespace
}  // namespace travex
