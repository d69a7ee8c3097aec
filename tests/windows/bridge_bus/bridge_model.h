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

inline int hex_digit(uint32_t c) {
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

inline uint32_t upper(uint32_t c) {
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}

// Reads exactly four hex digits after `key` (e.g. "VID_") at text[at..]; -1 when they are not.
template <typename Char>
int32_t read_id_after(const Char* text, uint32_t at, const char* key) {
    for (uint32_t k = 0; key[k] != 0; ++k, ++at) {
        if (text[at] == 0 ||
            upper(static_cast<uint32_t>(text[at])) != static_cast<uint32_t>(key[k])) {
            return -1;
        }
    }
    int32_t value = 0;
    for (int i = 0; i < 4; ++i, ++at) {
        const int digit = text[at] == 0 ? -1 : hex_digit(static_cast<uint32_t>(text[at]));
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// "USB\VID_xxxx&PID_yyyy" in any letter case; more may follow ("&REV_0100"). Anything else is
// not a USB hardware ID and gives valid = false.
template <typename Char>
UsbIds parse_usb_ids(const Char* text) {
    UsbIds ids;
    if (text == nullptr)
        return ids;
    const int32_t vendor = read_id_after(text, 0, "USB\\VID_");
    if (vendor < 0)
        return ids;
    const int32_t product = read_id_after(text, 12, "&PID_");
    if (product < 0)
        return ids;
    ids.vendor = static_cast<uint16_t>(vendor);
    ids.product = static_cast<uint16_t>(product);
    ids.valid = true;
    return ids;
}

inline constexpr uint8_t kBulkInEndpoint = 0x81;
inline constexpr uint8_t kBulkOutEndpoint = 0x02;
inline constexpr uint16_t kPacketSize = 64;
inline constexpr uint32_t kDeviceDescriptorSize = 18;
inline constexpr uint32_t kConfigurationSize = 9 + 9 + 7 + 7;
inline constexpr uint16_t kDeviceRelease = 0x0100;

// The device descriptor: USB 2.0, vendor-specific class, 64-byte control pipe, one configuration.
inline void device_descriptor(UsbIds ids, uint8_t out[kDeviceDescriptorSize]) {
    // clang-format off
    const uint8_t bytes[kDeviceDescriptorSize] = {
        18, 1, 0x00, 0x02, 0xFF, 0x00, 0x00, 64,  // length, device, USB 2.0, class, packet size
        static_cast<uint8_t>(ids.vendor), static_cast<uint8_t>(ids.vendor >> 8),
        static_cast<uint8_t>(ids.product), static_cast<uint8_t>(ids.product >> 8),
        static_cast<uint8_t>(kDeviceRelease), static_cast<uint8_t>(kDeviceRelease >> 8),
        0, 0, 0, 1};                              // no strings, one configuration
    // clang-format on
    for (uint32_t i = 0; i < kDeviceDescriptorSize; ++i)
        out[i] = bytes[i];
}

// Configuration 1 (bus powered, no remote wakeup, 100 mA) with one vendor-specific interface
// and its two bulk endpoints, in the order the function driver uses them: pipe 0 receives
// (endpoint 0x81), pipe 1 transmits (endpoint 0x02).
inline void configuration_descriptor(uint8_t out[kConfigurationSize]) {
    // clang-format off
    const uint8_t bytes[kConfigurationSize] = {
        9, 2, kConfigurationSize, 0, 1, 1, 0, 0x80, 50,   // configuration
        9, 4, 0, 0, 2, 0xFF, 0x00, 0x00, 0,               // interface 0, two endpoints
        7, 5, kBulkInEndpoint, 2, kPacketSize, 0, 0,      // bulk in
        7, 5, kBulkOutEndpoint, 2, kPacketSize, 0, 0};    // bulk out
    // clang-format on
    for (uint32_t i = 0; i < kConfigurationSize; ++i)
        out[i] = bytes[i];
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
        if (size_ + line_ <= capacity_ && !overflow_) {
            size_ += line_;
        } else {
            ++dropped_;
        }
        overflow_ = false;
    }

private:
    void put(char c) {
        if (size_ + line_ < capacity_) {
            buffer_[size_ + line_] = c;
            ++line_;
        } else {
            overflow_ = true;
        }
    }

    char* buffer_;
    uint32_t capacity_;
    uint32_t size_ = 0;
    uint32_t line_ = 0;
    uint32_t dropped_ = 0;
    bool overflow_ = false;
};

}  // namespace bridge_model
