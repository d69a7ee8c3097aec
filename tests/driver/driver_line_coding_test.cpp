// The bridge's line coding: the value sent to the chip for a rate and a format, and refusals.
#include <gtest/gtest.h>

#include "core/line_coding.h"

namespace qmub {
namespace {

TEST(DriverLineCoding, RequestValueIsRateIndexAndFormatOrARefusalThatLeavesIt) {
    struct Row {
        uint32_t rate;
        uint8_t line_control;
        int value;  // -1: refused
    };
    // The ends of the rate table and one past them, the application's 38400 8N2, odd and even
    // parity, a break bit that does not reach the format; 7 data bits and mark parity.
    const Row rows[] = {{300, 0x03, 0x0300},    {299, 0x03, -1},        {921600, 0x1F, 0x1F0E},
                        {921601, 0x03, -1},     {38400, 0x07, 0x0709},  {57600, 0x0B, 0x0B0A},
                        {115200, 0x43, 0x030B}, {460800, 0x5F, 0x1F0D}, {56000, 0x03, -1},
                        {9600, 0x02, -1},       {9600, 0x2B, -1},       {9600, 0x33, -1}};
    for (const Row& row : rows) {
        uint16_t value = 0x1234;
        EXPECT_EQ(LineCodingValue(row.rate, row.line_control, &value), row.value >= 0)
            << row.rate << " " << int(row.line_control);
        EXPECT_EQ(value, row.value >= 0 ? row.value : 0x1234) << row.rate;
    }
}

}  // namespace
}  // namespace qmub
