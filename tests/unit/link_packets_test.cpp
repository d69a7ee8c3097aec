// Packet forms and script tables of the link.
#include <gtest/gtest.h>

#include "link/link_packets.h"
#include "link/link_scripts.h"

namespace travex {
namespace {

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

TEST(LinkPackets, CommandClassesAtTheirEdges) {
    for (int c : {0x01, 0x21, 0x24, 0x27, 0x2B, 0x41, 0x42, 0x61, 0x63, 0x65, 0x6B, 0x81, 0x84}) {
        EXPECT_EQ(link::command_class(static_cast<std::uint8_t>(c)), CommandClass::short_packet)
            << c;
    }
    for (int c : {0x10, 0x11, 0x13, 0x19, 0x20, 0x30, 0x31}) {
        EXPECT_EQ(link::command_class(static_cast<std::uint8_t>(c)), CommandClass::block) << c;
    }
    for (int c : {0x00, 0x12, 0x1A, 0x25, 0x26, 0x2C, 0x64, 0x6C, 0x80, 0x85, 0xFF}) {
        EXPECT_EQ(link::command_class(static_cast<std::uint8_t>(c)), CommandClass::other) << c;
    }
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

}  // namespace
}  // namespace travex
