// What the simulated bridge chip looks like on the USB side: its identity, its descriptors and
// the text record of the requests it was sent. Freestanding (no library, no kernel header), so
// the bus driver uses it in kernel mode and the native unit tests check it.
#pragma once

#include <stdint.h>

namespace bridge_model {

struct UsbIds {
    uint16_t vendor = 0;
    uint16_t product = 0;
    bool valid = false;
};

// Reads exactly four hex digits after `key` (e.g. "VID_", any letter case) at text[at..]; -1
// when they are not there. Stops at the text's end.
template <typename Char>
int32_t read_id_after(const Char* text, uint32_t at, const char* key) {
    for (; *key != 0; ++key, ++at) {
        const uint32_t c = static_cast<uint32_t>(text[at]);
        if (c == 0 || (c >= 'a' && c <= 'z' ? c - 32 : c) != static_cast<uint32_t>(*key))
            return -1;
    }
    int32_t value = 0;
    for (int i = 0; i < 4; ++i, ++at) {
        const uint32_t c = static_cast<uint32_t>(text[at]);
        const uint32_t lower = c >= 'A' && c <= 'F' ? c + 32 : c;
        if (lower >= '0' && lower <= '9')
            value = value * 16 + static_cast<int32_t>(lower - '0');
        else if (lower >= 'a' && lower <= 'f')
            value = value * 16 + static_cast<int32_t>(lower - 'a' + 10);
        else
            return -1;
    }
    return value;
}

// "USB\VID_xxxx&PID_yyyy" in any letter case; more may follow ("&REV_0100"). Anything else is
// not a USB hardware ID and gives valid = false.
template <typename Char>
UsbIds parse_usb_ids(const Char* text) {
    UsbIds ids;
    const int32_t vendor = text == nullptr ? -1 : read_id_after(text, 0, "USB\\VID_");
    const int32_t product = vendor < 0 ? -1 : read_id_after(text, 12, "&PID_");
    if (product >= 0)
        ids = {static_cast<uint16_t>(vendor), static_cast<uint16_t>(product), true};
    return ids;
}

inline constexpr uint8_t kBulkInEndpoint = 0x81;
inline constexpr uint8_t kBulkOutEndpoint = 0x02;
inline constexpr uint16_t kPacketSize = 64;
inline constexpr uint32_t kConfigurationSize = 9 + 9 + 7 + 7;

// The device descriptor (USB 2.0, vendor-specific class, 64-byte control pipe, release 1.00, one
// configuration), or with `configuration` configuration 1 (bus powered, 100 mA) with one
// vendor-specific interface and its two bulk endpoints, in the order the function driver uses
// them: pipe 0 receives (endpoint 0x81), pipe 1 transmits (endpoint 0x02). Answers the size.
inline uint32_t descriptor(UsbIds ids, bool configuration, uint8_t out[kConfigurationSize]) {
    const auto lo = [](uint16_t v) { return static_cast<uint8_t>(v); };
    const auto hi = [](uint16_t v) { return static_cast<uint8_t>(v >> 8); };
    // clang-format off
    const uint8_t device[18] = {18, 1, 0x00, 0x02, 0xFF, 0x00, 0x00, 64,
        lo(ids.vendor), hi(ids.vendor), lo(ids.product), hi(ids.product), 0x00, 0x01, 0, 0, 0, 1};
    const uint8_t config[kConfigurationSize] = {
        9, 2, kConfigurationSize, 0, 1, 1, 0, 0x80, 50,   // configuration
        9, 4, 0, 0, 2, 0xFF, 0x00, 0x00, 0,               // interface 0, two endpoints
        7, 5, kBulkInEndpoint, 2, kPacketSize, 0, 0,      // bulk in
        7, 5, kBulkOutEndpoint, 2, kPacketSize, 0, 0};    // bulk out
    // clang-format on
    const uint32_t size = configuration ? kConfigurationSize : 18;
    for (uint32_t i = 0; i < size; ++i)
        out[i] = configuration ? config[i] : device[i];
    return size;
}

// The record of requests: text lines in a fixed buffer. A line that does not fit is dropped
// whole and counted, so the record never holds half a line.
class Record {
public:
    Record(char* buffer, uint32_t capacity) : buffer_(buffer), capacity_(capacity) {}

    uint32_t size() const { return size_; }
    uint32_t dropped() const { return dropped_; }

    // Starts a line; parts are added with text() and hex() and the line ends with end().
    void begin() { line_ = 0; }
    void text(const char* part) {
        while (*part != 0)
            put(*part++);
    }
    // "0x" and `digits` hex digits of value.
    void hex(uint32_t value, int digits) {
        text("0x");
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            put("0123456789abcdef"[(value >> shift) & 0xF]);
    }
    void end() {
        put('\n');
        if (overflow_)
            ++dropped_;
        else
            size_ += line_;
        overflow_ = false;
    }

private:
    void put(char c) {
        if (size_ + line_ < capacity_)
            buffer_[size_ + line_++] = c;
        else
            overflow_ = true;
    }

    char* buffer_;
    uint32_t capacity_;
    uint32_t size_ = 0;
    uint32_t line_ = 0;
    uint32_t dropped_ = 0;
    bool overflow_ = false;
};

}  // namespace bridge_model
