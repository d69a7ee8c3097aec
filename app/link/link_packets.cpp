#include "link/link_packets.h"

#include <string_view>

namespace travex::link {

CommandClass command_class(std::uint8_t c) {
    const bool is_short = c == 0x01 || (c >= 0x21 && c <= 0x24) || (c >= 0x27 && c <= 0x2B) ||
                          c == 0x41 || c == 0x42 || (c >= 0x61 && c <= 0x63) ||
                          (c >= 0x65 && c <= 0x6B) || (c >= 0x81 && c <= 0x84);
    if (is_short) {
        return CommandClass::short_packet;
    }
    const bool is_block =
        c == 0x10 || c == 0x11 || (c >= 0x13 && c <= 0x19) || c == 0x20 || c == 0x30 || c == 0x31;
    return is_block ? CommandClass::block : CommandClass::other;
}

std::uint16_t checksum16(std::span<const std::uint8_t> bytes) {
    std::uint16_t sum = 0;
    for (const std::uint8_t b : bytes) {
        sum = static_cast<std::uint16_t>(sum + b);
    }
    return sum;
}

void append_checksum(Bytes& packet) {
    const std::uint16_t sum = checksum16(packet);
    packet.push_back(static_cast<std::uint8_t>(sum >> 8));
    packet.push_back(static_cast<std::uint8_t>(sum));
}

bool checksum_matches(std::span<const std::uint8_t> packet) {
    if (packet.size() < 2) {
        return false;
    }
    const std::size_t n = packet.size() - 2;
    const std::uint16_t sum = checksum16(packet.first(n));
    return packet[n] == static_cast<std::uint8_t>(sum >> 8) &&
           packet[n + 1] == static_cast<std::uint8_t>(sum);
}

Bytes short_packet(std::uint8_t header0, std::uint8_t header1, std::uint8_t code) {
    Bytes packet{header0, header1, code};
    append_checksum(packet);
    return packet;
}

Bytes block_packet(std::uint8_t header0, std::uint8_t header1, std::span<const std::uint8_t> body) {
    Bytes packet;
    packet.reserve(body.size() + 4);
    packet.push_back(header0);
    packet.push_back(header1);
    packet.insert(packet.end(), body.begin(), body.end());
    append_checksum(packet);
    return packet;
}

std::optional<std::array<std::uint8_t, 2>> model_identifier(int model_code) {
    switch (model_code) {
        case 2:
            return std::array<std::uint8_t, 2>{'7', '2'};
        case 3:
            return std::array<std::uint8_t, 2>{'7', '1'};
        case 5:
            return std::array<std::uint8_t, 2>{'7', '4'};
        case 4:
        case 6:
            return std::array<std::uint8_t, 2>{'7', '5'};
        default:
            return std::nullopt;
    }
}

std::optional<std::size_t> fixed_block_length(std::uint8_t command) {
    switch (command) {
        case kBlockScreenInfo:
        case kBlockLength:
            return 8;
        case kBlockScreen:
            return kScreenBytes + 4;
        case kBlockCategoryEcho:
            return kNameLength + 4;
        case kBlockItemInfo:
            return kNameLength + 4 + 4;
        default:
            return std::nullopt;
    }
}

namespace {

std::uint8_t fold(std::uint8_t b) {
    return (b >= 'a' && b <= 'z') ? static_cast<std::uint8_t>(b - 'a' + 'A') : b;
}

}  // namespace

bool names_equal(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

ItemName make_name(std::string_view text) {
    ItemName name;
    name.fill(' ');
    for (std::size_t i = 0; i < name.size() && i < text.size(); ++i) {
        name[i] = static_cast<std::uint8_t>(text[i]);
    }
    return name;
}

}  // namespace travex::link
