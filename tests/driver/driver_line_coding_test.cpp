// The bridge's line coding: the value sent to the chip for a rate and a format, and refusals.
#include <gtest/gtest.h>

#include "core/line_coding.h"

namespace qmub {
namespace {

TEST(DriverLineCoding, RequestValueIsRateIndexAndFormat) {
    struct Row {
        uint32_t rate;
        uint8_t line_control;
        uint16_t value;
    };
    // The ends of the rate table, the application's 38400 8N2, odd and even parity, and a
    // break bit that does not reach the format.
    const Row rows[] = {{300, 0x03, 0x0300},    {600, 0x07, 0x0701},    {2400, 0x03, 0x0303},
                        {38400, 0x07, 0x0709},  {57600, 0x0B, 0x0B0A},  {921600, 0x1F, 0x1F0E},
                        {115200, 0x43, 0x030B}, {460800, 0x5F, 0x1F0D}, {19200, 0x1B, 0x1B07}};
    for (const Row& row : rows) {
        uint16_t value = 0;
        ASSERT_TRUE(LineCodingValue(row.rate, row.line_control, &value)) << row.rate;
        EXPECT_EQ(value, row.value) << row.rate << " " << int(row.line_control);
    }
}

TEST(DriverLineCoding, WhatTheChipCannotCarryIsRefusedAndLeavesTheValue) {
    // Rates beside the table; 5, 6, 7 data bits, mark and space parity, undefined parity codes.
    for (uint32_t rate : {0u, 110u, 299u, 301u, 56000u, 921601u, 0xFFFFFFFFu}) {
        uint16_t value = 0x1234;
        EXPECT_FALSE(LineCodingValue(rate, 0x03, &value)) << rate;
        EXPECT_EQ(value, 0x1234);
    }
    for (uint8_t lc : {0x00, 0x01, 0x02, 0x04, 0x2B, 0x3B, 0x13, 0x23, 0x33}) {
        uint16_t value = 0x1234;
        EXPECT_FALSE(LineCodingValue(9600, lc, &value)) << int(lc);
        EXPECT_EQ(value, 0x1234);
    }
}

}  // namespace
}  // namespace qmub
