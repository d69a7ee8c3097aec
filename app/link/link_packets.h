#pragma once
// Packet forms of the calculator link: the two header bytes, the 16-bit byte-sum checksum
// (sent high byte first), short packets, the class of each command byte and the lengths of
// the calculator's block replies.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "base/bytes.h"

namespace travex::link {

// Every packet from the computer begins with "11".
inline constexpr std::uint8_t kComputerHeader0 = 0x31;
inline constexpr std::uint8_t kComputerHeader1 = 0x31;

// Command and reply codes.
inline constexpr std::uint8_t kAck = 0x01;
inline constexpr std::uint8_t kNak = 0x81;
inline constexpr std::uint8_t kCancel = 0x82;
inline constexpr std::uint8_t kCalculatorCancel = 0x83;
inline constexpr std::uint8_t kMemoryFull = 0x84;
inline constexpr std::uint8_t kGoodbye = 0x41;
inline constexpr std::uint8_t kHello = 0x42;
inline constexpr std::uint8_t kDirectoryRequest = 0x61;
inline constexpr std::uint8_t kItemRequest = 0x62;
inline constexpr std::uint8_t kScreenRequest = 0x63;
inline constexpr std::uint8_t kNamedFileAnnouncement = 0x22;
// The calculator answers a request letter (0x61-0x63, or a setup item's letter) with the
// letter − 0x40.
constexpr std::uint8_t answer_of(std::uint8_t request) {
    return static_cast<std::uint8_t>(request - 0x40);
}

// Block commands.
inline constexpr std::uint8_t kBlockCurrentName = 0x10;
inline constexpr std::uint8_t kBlockRequestedName = 0x11;
inline constexpr std::uint8_t kBlockData = 0x13;
inline constexpr std::uint8_t kBlockNameAndLength = 0x14;
inline constexpr std::uint8_t kBlockItem = 0x15;
inline constexpr std::uint8_t kBlockScreenInfo = 0x16;
inline constexpr std::uint8_t kBlockScreen = 0x17;
inline constexpr std::uint8_t kBlockDirectory = 0x18;
inline constexpr std::uint8_t kBlockCategoryEcho = 0x19;
inline constexpr std::uint8_t kBlockItemInfo = 0x20;
inline constexpr std::uint8_t kBlockLength = 0x30;
inline constexpr std::uint8_t kBlockSetupData = 0x31;

inline constexpr std::size_t kShortPacketLength = 5;
inline constexpr std::size_t kNameLength = 11;
inline constexpr std::size_t kScreenBytes = 1056;
// Offset of the payload (or of the name field) in a 0x15 item block.
inline constexpr std::size_t kItemBlockPayloadOffset = 10;

using ItemName = std::array<std::uint8_t, kNameLength>;

enum class CommandClass { short_packet, block, other };
CommandClass command_class(std::uint8_t command);

// Sum of the bytes, carries beyond 16 bits dropped.
std::uint16_t checksum16(std::span<const std::uint8_t> bytes);
// Appends the checksum of everything in packet, high byte first.
void append_checksum(Bytes& packet);
// True when the last two bytes are the checksum of the bytes before them.
bool checksum_matches(std::span<const std::uint8_t> packet);

// A five-byte packet: header, code, checksum.
Bytes short_packet(std::uint8_t header0, std::uint8_t header1, std::uint8_t code);
// header + body + checksum.
Bytes block_packet(std::uint8_t header0, std::uint8_t header1, std::span<const std::uint8_t> body);

// Two-byte link identifier that the calculator of a model puts at the head of its packets;
// none for an unknown model code.
std::optional<std::array<std::uint8_t, 2>> model_identifier(int model_code);

// Full length of a calculator block reply for the step's command, when it follows from the
// command alone (0x15 and 0x18 and 0x31 depend on the packet; see the engine).
std::optional<std::size_t> fixed_block_length(std::uint8_t command);

// Names compared as the calculator does: without regard to case.
bool names_equal(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);
// Blank-padded (or cut) to 11 bytes.
ItemName make_name(std::string_view text);

}  // namespace travex::link
