// The bridge's line coding: every rate of the table, every format the chip takes, refusals.
#include <gtest/gtest.h>

#include "core/line_coding.h"

namespace qmub {
namespace {

TEST(DriverLineCoding, EveryRateOfTheTableHasItsIndex) {
    const uint32_t rates[] = {300,   600,   1200,  2400,   4800,   9600,   14400, 19200,
                              28800, 38400, 57600, 115200, 230400, 460800, 921600};
    for (uint8_t i = 0; i < 15; ++i) {
        uint8_t index = 0xFF;
        ASSERT_TRUE(BaudIndexOf(rates[i], &index)) << rates[i];
        EXPECT_EQ(index, i) << rates[i];
    }
}

TEST(DriverLineCoding, RatesOutsideTheTableAreRefused) {
    for (uint32_t rate : {0u, 110u, 299u, 301u, 56000u, 128000u, 256000u, 921601u, 0xFFFFFFFFu}) {
        uint8_t index = 0xFF;
        EXPECT_FALSE(BaudIndexOf(rate, &index)) << rate;
        EXPECT_EQ(index, 0xFF);
    }
}

TEST(DriverLineCoding, EveryFormatTheChipTakes) {
    struct Case {
        uint8_t line_control;
        uint8_t format;
    };
    // 8 data bits; no, odd, even parity; one or two stop bits; the break bit does not count.
    const Case cases[] = {{0x03, 0x03}, {0x07, 0x07}, {0x0B, 0x0B}, {0x0F, 0x0F},
                          {0x1B, 0x1B}, {0x1F, 0x1F}, {0x43, 0x03}, {0x5F, 0x1F}};
    for (const Case& c : cases) {
        uint8_t format = 0;
        ASSERT_TRUE(LineFormatOf(c.line_control, &format)) << int(c.line_control);
        EXPECT_EQ(format, c.format) << int(c.line_control);
    }
}

TEST(DriverLineCoding, FormatsTheChipCannotCarryAreRefused) {
    // 5, 6, 7 data bits; mark and space parity; 1.5 stop bits (5 data bits with the stop bit);
    // undefined parity codes.
    for (uint8_t lc : {0x00, 0x01, 0x02, 0x04, 0x2B, 0x3B, 0x13, 0x23, 0x33}) {
        uint8_t format = 0xEE;
        EXPECT_FALSE(LineFormatOf(lc, &format)) << int(lc);
        EXPECT_EQ(format, 0xEE);
    }
}

TEST(DriverLineCoding, RequestValueCombinesIndexAndFormat) {
    uint16_t value = 0;
    ASSERT_TRUE(LineCodingValue(38400, 0x07, &value));
    EXPECT_EQ(value, 0x0709);  // the application's 38400 8N2
    ASSERT_TRUE(LineCodingValue(2400, 0x03, &value));
    EXPECT_EQ(value, 0x0303);
    ASSERT_TRUE(LineCodingValue(921600, 0x1F, &value));
    EXPECT_EQ(value, 0x1F0E);
    value = 0x1234;
    EXPECT_FALSE(LineCodingValue(56000, 0x03, &value));
    EXPECT_FALSE(LineCodingValue(9600, 0x02, &value));
    EXPECT_EQ(value, 0x1234);
}

}  // namespace
}  // namespace qmub
