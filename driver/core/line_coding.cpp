#include "line_coding.h"

namespace qmub {
namespace {

// Index i of this table is the chip's baud index.
constexpr uint32_t kBaudRates[] = {300,   600,   1200,  2400,   4800,   9600,   14400, 19200,
                                   28800, 38400, 57600, 115200, 230400, 460800, 921600};

constexpr uint8_t kWordLengthMask = 0x03;
constexpr uint8_t kExtraStopBit = 0x04;
constexpr uint8_t kParityMask = 0x38;
constexpr uint8_t kParityNone = 0x00;
constexpr uint8_t kParityOdd = 0x08;
constexpr uint8_t kParityEven = 0x18;

}  // namespace

bool BaudIndexOf(uint32_t rate, uint8_t* index) {
    for (uint8_t i = 0; i < sizeof kBaudRates / sizeof kBaudRates[0]; ++i) {
        if (kBaudRates[i] == rate) {
            *index = i;
            return true;
        }
    }
    return false;
}

bool LineFormatOf(uint8_t line_control, uint8_t* format) {
    if ((line_control & kWordLengthMask) != 3)
        return false;  // only 8 data bits
    // UART format: bits 0-1 word length code, bit 2 extra stop bit, bit 3 parity enable,
    // bit 4 even parity.
    uint8_t value = 0x03;
    if (line_control & kExtraStopBit)
        value |= 0x04;
    switch (line_control & kParityMask) {
        case kParityNone:
            break;
        case kParityOdd:
            value |= 0x08;
            break;
        case kParityEven:
            value |= 0x18;
            break;
        default:  // mark, space, or an undefined parity code
            return false;
    }
    *format = value;
    return true;
}

bool LineCodingValue(uint32_t rate, uint8_t line_control, uint16_t* value) {
    uint8_t index = 0;
    uint8_t format = 0;
    if (!BaudIndexOf(rate, &index) || !LineFormatOf(line_control, &format))
        return false;
    *value = static_cast<uint16_t>(format << 8 | index);
    return true;
}

}  // namespace qmub
