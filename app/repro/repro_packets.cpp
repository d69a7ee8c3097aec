#include "repro/repro_packets.h"

#include <algorithm>

#include "base/le_bytes.h"

namespace travex::repro {

std::uint16_t sum16(std::span<const std::uint8_t> bytes) {
    std::uint16_t sum = 0;
    for (const std::uint8_t b : bytes) {
        sum = static_cast<std::uint16_t>(sum + b);
    }
    return sum;
}

void append_sum_le(Bytes& packet) {
    append_u16le(packet, sum16(packet));
}

bool sum_le_matches(std::span<const std::uint8_t> packet) {
    if (packet.size() < 2) {
        return false;
    }
    return sum16(packet.first(packet.size() - 2)) == read_u16le(packet, packet.size() - 2);
}

Bytes command_packet(std::uint8_t command) {
    Bytes packet{0x31, 0x31, command};
    append_sum_le(packet);
    return packet;
}

Bytes data_packet(std::uint32_t address, std::span<const std::uint8_t> data) {
    Bytes packet;
    packet.reserve(data.size() + kDataPacketOverhead);
    append_u32le(packet, address);
    append_u16le(packet, static_cast<std::uint16_t>(data.size()));
    packet.insert(packet.end(), data.begin(), data.end());
    append_sum_le(packet);
    return packet;
}

Bytes end_marker_packet() {
    return data_packet(kEndMarkerAddress, {});
}

bool is_acknowledgement(std::span<const std::uint8_t> reply) {
    return reply.size() == kAckLength && reply[0] == kTargetIdentifier[0] &&
           reply[1] == kTargetIdentifier[1] && reply[2] == 0x01 && sum_le_matches(reply);
}

std::optional<std::array<char, 3>> version_of_reply(std::span<const std::uint8_t> reply) {
    if (reply.size() != kVersionReplyLength || reply[0] != kTargetIdentifier[0] ||
        reply[1] != kTargetIdentifier[1] || !sum_le_matches(reply)) {
        return std::nullopt;
    }
    return std::array<char, 3>{static_cast<char>(reply[2]), static_cast<char>(reply[3]),
                               static_cast<char>(reply[4])};
}

bool image_is_newer(std::array<char, 3> image, std::array<char, 3> calculator) {
    for (std::size_t i = 0; i < image.size(); ++i) {
        const auto a = static_cast<unsigned char>(image[i]);
        const auto b = static_cast<unsigned char>(calculator[i]);
        if (a != b) {
            return a > b;
        }
    }
    return false;
}

namespace {

struct SpeedEntry {
    std::string_view text;
    DataSpeed speed;
};

constexpr std::array<SpeedEntry, 3> kSpeeds = {{
    {"38400", {38400, 0x80}},
    {"57600", {57600, 0x90}},
    {"115200", {115200, 0xA0}},
}};

}  // namespace

std::optional<DataSpeed> data_speed(std::string_view rate_text) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.text == rate_text) {
            return entry.speed;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> baud_of_speed_code(std::uint8_t code) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.speed.code == code) {
            return entry.speed.baud;
        }
    }
    return std::nullopt;
}

Bytes header_data(const FlashLayout& layout, bool use_machine_code, std::uint8_t speed_code) {
    Bytes data;
    if (use_machine_code) {
        // The RQ-7300 family's machine code; DATA1 and DATA2 serve other targets only.
        data = {'7', '3'};
    }
    data.push_back(layout.major);
    data.push_back(speed_code);
    data.push_back(0x00);
    return data;
}

}  // namespace travex::repro
