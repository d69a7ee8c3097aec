#pragma once
// The packets of the firmware update. Its checksums are 16-bit byte sums sent low byte first
// (unlike the ordinary link's, which go high byte first).
//  - command packet: "11", the command byte, checksum (5 bytes);
//  - data packet: flash address (4, little-endian), data length (2), data, checksum;
//  - the calculator's acknowledgement: identifier (2), 0x01, checksum (5 bytes);
//  - its version reply: identifier (2), three version characters, three further bytes,
//    checksum (10 bytes);
//  - its answer to a data packet: "OK".
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "base/bytes.h"
#include "repro/flash_layout.h"

namespace travex::repro {

inline constexpr std::uint8_t kCommandHello = 0x42;    // "B"
inline constexpr std::uint8_t kCommandVersion = 0x74;  // "t"
inline constexpr std::uint8_t kCommandUpdate = 0x73;   // "s": switch to update mode
inline constexpr std::uint8_t kCommandGoodbye = 0x41;  // "A"

inline constexpr std::size_t kCommandPacketLength = 5;
inline constexpr std::size_t kAckLength = 5;
inline constexpr std::size_t kVersionReplyLength = 10;
inline constexpr std::size_t kDataPacketOverhead = 8;  // address, length, checksum
inline constexpr std::array<std::uint8_t, 2> kPacketAccepted = {'O', 'K'};
// The identifier of the RQ-7310, the one target.
inline constexpr std::array<std::uint8_t, 2> kTargetIdentifier = {'7', '5'};
// The end marker's address: no page can lie there, since every page lies below its area's end.
inline constexpr std::uint32_t kEndMarkerAddress = 0xFFFFFFFF;
// The header always goes to address 0 at this speed; commands go at the link's own speed.
inline constexpr std::uint32_t kHeaderBaud = 19200;
inline constexpr std::uint32_t kLinkBaud = 38400;

std::uint16_t sum16(std::span<const std::uint8_t> bytes);
// Appends the sum of everything before it, low byte first.
void append_sum_le(Bytes& packet);
// True when the last two bytes are the sum of those before, low byte first.
bool sum_le_matches(std::span<const std::uint8_t> packet);

Bytes command_packet(std::uint8_t command);
Bytes data_packet(std::uint32_t address, std::span<const std::uint8_t> data);
Bytes end_marker_packet();

// A reply checked against the identifier, its fixed byte and its sum.
bool is_acknowledgement(std::span<const std::uint8_t> reply);
// The calculator's three version characters, when the reply's identifier and sum are right.
std::optional<std::array<char, 3>> version_of_reply(std::span<const std::uint8_t> reply);

// Whether the image is newer than the calculator's firmware: the three characters compared in
// turn; equal counts as not newer.
bool image_is_newer(std::array<char, 3> image, std::array<char, 3> calculator);

// The header's speed code for a data baud rate text: "38400" 0x80, "57600" 0x90, "115200" 0xA0;
// nothing for any other text.
struct DataSpeed {
    std::uint32_t baud = 0;
    std::uint8_t code = 0;
};
std::optional<DataSpeed> data_speed(std::string_view rate_text);
// The speed code's baud rate, for the calculator's side.
std::optional<std::uint32_t> baud_of_speed_code(std::uint8_t code);

// The header's data: the machine code "73" (when "USE MACHINE CODE" is 1), MAJOR, the speed
// code and 0x00.
Bytes header_data(const FlashLayout& layout, bool use_machine_code, std::uint8_t speed_code);

}  // namespace travex::repro
