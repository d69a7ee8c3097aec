// The bridge chip's line coding: supported rates and UART line formats.
#pragma once

#include <stdint.h>

namespace qmub {

inline constexpr uint8_t kVendorLineCoding = 0x21;
inline constexpr uint8_t kVendorDtr = 0x22;

// The chip's index of a baud rate; false for a rate it does not support.
bool BaudIndexOf(uint32_t rate, uint8_t* index);
// The chip's UART line format of a stored line-control byte; false when the chip cannot
// carry it (only 8 data bits with no, odd or even parity).
bool LineFormatOf(uint8_t line_control, uint8_t* format);
// wValue of the line-coding request, or false when either half is refused.
bool LineCodingValue(uint32_t rate, uint8_t line_control, uint16_t* value);

}  // namespace qmub
