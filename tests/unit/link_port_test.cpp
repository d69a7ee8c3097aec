// The link's pieces: the virtual port's read time-outs and line speed on the virtual clock, the
// packets, the step scripts and the progress window's text line.

#include <gtest/gtest.h>

#include "link/link_packets.h"
#include "link/link_scripts.h"
#include "link/progress_text.h"
#include "link/virtual_port.h"

namespace travex {
namespace {

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

// Packet forms and script tables of the link.
using link::CommandClass;

TEST(LinkPackets, ChecksumIsA16BitSumHighByteFirstWithCarriesDropped) {
    EXPECT_EQ(link::short_packet('1', '1', 0x42), (Bytes{0x31, 0x31, 0x42, 0x00, 0xA4}));
    const Bytes big(300, 0xFF);  // 300 * 255 = 76500 = 0x12AD4 -> 0x2AD4
    const Bytes packet = link::block_packet('1', '1', big);
    ASSERT_EQ(packet.size(), 304u);
    EXPECT_EQ(packet[302], 0x2B);  // 0x2AD4 + 0x62 = 0x2B36
    EXPECT_EQ(packet[303], 0x36);
    EXPECT_TRUE(link::checksum_matches(packet));
    Bytes broken = packet;
    broken[100] ^= 1;
    EXPECT_FALSE(link::checksum_matches(broken));
    EXPECT_FALSE(link::checksum_matches(Bytes{1}));
}

TEST(LinkScripts, EveryScriptAlternatesAndEndsWithinSixteenSteps) {
    for (const auto id : {link::ScriptId::hello, link::ScriptId::directory_list,
                          link::ScriptId::named_item_receive, link::ScriptId::setup_item_receive,
                          link::ScriptId::named_file_send, link::ScriptId::setup_item_send,
                          link::ScriptId::screen_capture, link::ScriptId::goodbye}) {
        const auto table = link::script_table(id);
        ASSERT_LE(table.size(), link::kMaxSteps);
        EXPECT_EQ(table.back().command, 0x00);
        EXPECT_EQ(table.back().kind, link::StepKind::end_ok);
        EXPECT_EQ(table.front().kind, link::StepKind::send);
        for (std::size_t i = 0; i + 1 < table.size(); ++i) {
            EXPECT_NE(table[i].command, 0x00);
            // Every command a script sends or expects has a class.
            if (table[i].command < 0xFE) {
                EXPECT_NE(link::command_class(table[i].command), CommandClass::other);
            }
        }
    }
}

// The progress window's text line: kept when it fits, else cut to fit with "..." after it.
// Every character is 7 pixels wide, as with a fixed-pitch font.
int fixed_width(std::string_view text) {
    return static_cast<int>(text.size()) * 7;
}

TEST(ProgressText, FittingTextStaysAndLongTextEndsInDots) {
    EXPECT_EQ(link::fit_progress_text("prog.g6p", 56, fixed_width), "prog.g6p");   // exactly fits
    EXPECT_EQ(link::fit_progress_text("prog.g6p1", 56, fixed_width), "prog....");  // 5 + 3 = 8
    EXPECT_EQ(link::fit_progress_text("", 0, fixed_width), "");
    const std::string long_name(300, 'w');
    const std::string cut = link::fit_progress_text(long_name, 252, fixed_width);
    EXPECT_EQ(cut, std::string(33, 'w') + "...");
    EXPECT_LE(fixed_width(cut), 252);
    EXPECT_EQ(link::fit_progress_text("abcdef", 10, fixed_width), "...");  // no room for more
}

TEST(ProgressText, ProportionalWidthsFindTheLongestFittingBeginning) {
    // Wide letters 'W' (12 px) and narrow ones (3 px); dots are 3 px.
    auto width = [](std::string_view text) {
        int w = 0;
        for (const char c : text) {
            w += c == 'W' ? 12 : 3;
        }
        return w;
    };
    const std::string text = "iiiiWWWWiiii";  // 12 + 48 + 12 = 72
    EXPECT_EQ(link::fit_progress_text(text, 72, width), text);
    EXPECT_EQ(link::fit_progress_text(text, 71, width), "iiiiWWWW...");  // 60 + 9; one more i is 72
    EXPECT_EQ(link::fit_progress_text(text, 40, width), "iiiiW...");     // 24 + 9; one more W is 45
}

}  // namespace
}  // namespace travex
