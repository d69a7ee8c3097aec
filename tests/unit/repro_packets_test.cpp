#include <gtest/gtest.h>

#include "repro/repro_packets.h"

namespace travex::repro {
namespace {

TEST(ReproPackets, CommandPacketsCarryTheirSumLowByteFirst) {
    EXPECT_EQ(command_packet(kCommandHello), (Bytes{0x31, 0x31, 0x42, 0xA4, 0x00}));
    EXPECT_EQ(command_packet(kCommandVersion), (Bytes{0x31, 0x31, 0x74, 0xD6, 0x00}));
    EXPECT_EQ(command_packet(kCommandUpdate), (Bytes{0x31, 0x31, 0x73, 0xD5, 0x00}));
    EXPECT_EQ(command_packet(kCommandGoodbye), (Bytes{0x31, 0x31, 0x41, 0xA3, 0x00}));
}

TEST(ReproPackets, DataPacketsAreAddressLengthDataSum) {
    const Bytes data{0x01, 0x02, 0xFF};
    EXPECT_EQ(data_packet(0xF04000, data),
              (Bytes{0x00, 0x40, 0xF0, 0x00, 0x03, 0x00, 0x01, 0x02, 0xFF, 0x35, 0x02}));
    EXPECT_EQ(end_marker_packet(), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFC, 0x03}));
    // A full page: the sum wraps at 16 bits.
    const Bytes page(16384, 0xEE);
    const Bytes packet = data_packet(0xF00000, page);
    ASSERT_EQ(packet.size(), 16384u + 8u);
    EXPECT_EQ(packet[4], 0x00);
    EXPECT_EQ(packet[5], 0x40);
    EXPECT_TRUE(sum_le_matches(packet));
}

TEST(ReproPackets, AcknowledgementsAreCheckedWhole) {
    Bytes ack{'7', '5', 0x01};
    append_sum_le(ack);
    EXPECT_TRUE(is_acknowledgement(ack));
    Bytes other_model{'7', '4', 0x01};
    append_sum_le(other_model);
    EXPECT_FALSE(is_acknowledgement(other_model));
    Bytes nak{'7', '5', 0x81};
    append_sum_le(nak);
    EXPECT_FALSE(is_acknowledgement(nak));
    Bytes high_first{'7', '5', 0x01, 0x00, 0x6D};
    EXPECT_FALSE(is_acknowledgement(high_first));
    EXPECT_FALSE(is_acknowledgement(std::span(ack).first(4)));
}

TEST(ReproPackets, VersionRepliesGiveTheirThreeCharacters) {
    Bytes reply{'7', '5', '1', '0', '2', 'x', 'y', 'z'};
    append_sum_le(reply);
    const auto version = version_of_reply(reply);
    ASSERT_TRUE(version);
    EXPECT_EQ(*version, (std::array<char, 3>{'1', '0', '2'}));
    reply[9] ^= 1;
    EXPECT_FALSE(version_of_reply(reply));
    Bytes wrong_id{'7', '6', '1', '0', '2', 0, 0, 0};
    append_sum_le(wrong_id);
    EXPECT_FALSE(version_of_reply(wrong_id));
}

TEST(ReproPackets, OnlyANewerImageIsNewer) {
    using V = std::array<char, 3>;
    EXPECT_TRUE(image_is_newer(V{'2', '0', '0'}, V{'1', '9', '9'}));
    EXPECT_TRUE(image_is_newer(V{'1', '0', '1'}, V{'1', '0', '0'}));
    EXPECT_FALSE(image_is_newer(V{'1', '0', '0'}, V{'1', '0', '0'}));
    EXPECT_FALSE(image_is_newer(V{'0', '9', '9'}, V{'1', '0', '0'}));
    EXPECT_FALSE(image_is_newer(V{'1', '0', '9'}, V{'1', '1', '0'}));
    // Characters, compared as the calculator sends them: a letter is above every digit.
    EXPECT_FALSE(image_is_newer(V{'9', '9', '9'}, V{'A', '0', '0'}));
    EXPECT_TRUE(image_is_newer(V{'1', '0', '0'}, V{'\x80', '0', '0'}) == false);
}

TEST(ReproPackets, TheHeaderNamesTheDataSpeed) {
    ASSERT_TRUE(data_speed("38400"));
    EXPECT_EQ(data_speed("38400")->code, 0x80);
    EXPECT_EQ(data_speed("57600")->code, 0x90);
    EXPECT_EQ(data_speed("115200")->code, 0xA0);
    EXPECT_EQ(data_speed("115200")->baud, 115200u);
    EXPECT_FALSE(data_speed("9600"));
    EXPECT_FALSE(data_speed("0x9600"));
    EXPECT_EQ(baud_of_speed_code(0x90), 57600u);
    EXPECT_FALSE(baud_of_speed_code(0x00));
    FlashLayout layout;
    layout.major = 0x33;
    layout.data1 = 0x11;  // other targets only
    EXPECT_EQ(header_data(layout, true, 0xA0), (Bytes{'7', '3', 0x33, 0xA0, 0x00}));
    EXPECT_EQ(header_data(layout, false, 0x80), (Bytes{0x33, 0x80, 0x00}));
}

}  // namespace
}  // namespace travex::repro
