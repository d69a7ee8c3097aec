#pragma once
// A small PNG writer for black-and-white pictures: one 1-bit greyscale image, its pixel rows
// kept in zlib "stored" blocks (no compression), so the file is the same on every platform and
// needs no library. Pictures here are at most a few kilobytes.
#include <cstdint>
#include <span>

#include "base/bytes.h"

namespace travex::image {

// CRC-32 as PNG chunks use it (polynomial 0xEDB88320), continued from crc.
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);
// Adler-32 as zlib streams use it.
std::uint32_t adler32(std::span<const std::uint8_t> bytes);

// The PNG file of a width × height picture given one byte per pixel, top row first; a
// non-zero byte is a dark (black) pixel. Empty when the sizes do not match.
Bytes png_black_and_white(int width, int height, std::span<const std::uint8_t> dark);

}  // namespace travex::image
