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

}  // namespace
}  // namespace travex::repro
