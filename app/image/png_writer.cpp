#include "image/png_writer.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "base/le_bytes.h"

namespace travex::image {
namespace {

constexpr std::array<std::uint32_t, 256> make_crc_table() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = make_crc_table();

void append_u32be(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void append_chunk(Bytes& out, std::string_view type, std::span<const std::uint8_t> data) {
    append_u32be(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t type_at = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    append_u32be(out, crc32(std::span<const std::uint8_t>(out).subspan(type_at)));
}

// A zlib stream of stored blocks (at most 65535 bytes each).
Bytes zlib_stored(std::span<const std::uint8_t> data) {
    constexpr std::size_t kBlock = 65535;
    Bytes out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(kBlock, data.size() - at);
        const bool last = at + n == data.size();
        out.push_back(last ? 1 : 0);
        append_u16le(out, static_cast<std::uint16_t>(n));
        append_u16le(out, static_cast<std::uint16_t>(~n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < data.size());
    append_u32be(out, adler32(data));
    return out;
}

}  // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    crc = ~crc;
    for (std::uint8_t b : bytes) {
        crc = kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

std::uint32_t adler32(std::span<const std::uint8_t> bytes) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

Bytes png_black_and_white(int width, int height, std::span<const std::uint8_t> dark) {
    if (width <= 0 || height <= 0 ||
        dark.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return {};
    }
    // Greyscale of depth 1: sample 0 is black, 1 is white. Each row starts with filter type 0.
    const std::size_t row_bytes = (static_cast<std::size_t>(width) + 7) / 8;
    Bytes raw((row_bytes + 1) * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = raw.data() + static_cast<std::size_t>(y) * (row_bytes + 1) + 1;
        for (int x = 0; x < width; ++x) {
            if (dark[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)] == 0) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    append_u32be(header, static_cast<std::uint32_t>(width));
    append_u32be(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(),
                  {1, 0, 0, 0, 0});  // depth 1, greyscale, deflate, filter, no interlace
    append_chunk(out, "IHDR", header);
    append_chunk(out, "IDAT", zlib_stored(raw));
    append_chunk(out, "IEND", {});
    return out;
}

}  // namespace travex::image
