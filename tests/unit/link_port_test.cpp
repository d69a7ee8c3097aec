// The link's pieces: the virtual port's read time-outs on the virtual clock,
// the packet checksum and the progress window's text line.
#include <gtest/gtest.h>

#include "link/link_packets.h"
#include "link/progress_text.h"
#include "link/virtual_port.h"

namespace travex {
namespace {

TEST(LinkVirtualPort, EmptyReadTakes300MsBytesEnd3MsAfterTheLastAtMostHalfTheBuffer) {
    VirtualClock clock;
    VirtualPortTiming timing;
    timing.line_rate = 1000;  // 1 ms a byte
    VirtualPort port(clock, nullptr, timing);
    ASSERT_EQ(port.OpenLinkPort(1), PortOpenResult::ok);
    std::array<std::uint8_t, 1024> buffer{};
    std::uint64_t start = clock.now_us();
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 0u);
    EXPECT_EQ(clock.now_us() - start, 300'000u);
    start = clock.now_us();
    port.inject(Bytes(10, 0x55));
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 10u);
    EXPECT_EQ(clock.now_us() - start, 13'000u);
    port.inject(Bytes(700, 0x66));
    EXPECT_EQ(port.ReadLinkBytes(std::span(buffer).first(5)).received, 5u) << "5 not halved";
    EXPECT_EQ(port.ReadLinkBytes(std::span(buffer).first(6)).received, 3u);
    EXPECT_EQ(port.ReadLinkBytes(buffer).received, 512u);
}

TEST(LinkPackets, ChecksumIsA16BitSumHighByteFirstWithCarriesDropped) {
    EXPECT_EQ(link::short_packet('1', '1', 0x42), (Bytes{0x31, 0x31, 0x42, 0x00, 0xA4}));
    const Bytes packet = link::block_packet('1', '1', Bytes(300, 0xFF));
    ASSERT_EQ(packet.size(), 304u);
    EXPECT_EQ(packet[302], 0x2B);  // 300 * 255 = 0x12AD4 -> 0x2AD4, + 0x62 = 0x2B36
    EXPECT_EQ(packet[303], 0x36);
    Bytes broken = packet;
    broken[100] ^= 1;
    EXPECT_FALSE(link::checksum_matches(broken));
    EXPECT_FALSE(link::checksum_matches(Bytes{1}));
}

TEST(ProgressText, FittingTextStaysAndLongTextEndsInDots) {
    // Wide 'W' (12 px) and narrow letters and dots (3 px).
    const auto width = [](std::string_view text) {
        int w = 0;
        for (const char c : text) {
            w += c == 'W' ? 12 : 3;
        }
        return w;
    };
    const std::string text = "iiiiWWWWiiii";  // 72 px
    EXPECT_EQ(link::fit_progress_text(text, 72, width), text);
    EXPECT_EQ(link::fit_progress_text(text, 71, width), "iiiiWWWW...");  // one more i is 72
    EXPECT_EQ(link::fit_progress_text(text, 3, width), "...");
}

}  // namespace
}  // namespace travex
