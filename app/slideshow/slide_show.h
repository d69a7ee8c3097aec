#pragma once
// Slide show files: the 54-byte calculator file header (type letter 's'), one unused byte, then
// page records — a 32-bit little-endian record length L that counts its own 8-byte head, 4
// unused bytes and L − 8 bytes of compressed page — until a record of length 0.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/file_system.h"
#include "files/file_messages.h"
#include "image/screen_data.h"

namespace travex::slides {

inline constexpr std::size_t kPageBytes = image::kWideScreenBytes;  // 132 × 64 pixels
inline constexpr std::size_t kFirstRecordOffset = 55;
inline constexpr std::size_t kRecordHeadSize = 8;
inline constexpr std::size_t kTitleOffset = 13;
inline constexpr std::size_t kTitleLength = 40;
inline constexpr std::size_t kNameOffset = 2;
inline constexpr std::size_t kNameLength = 11;
inline constexpr std::size_t kNameCharacters = 8;
// The smallest file that is more than its header, the unused byte and one record head.
inline constexpr std::size_t kMinimumFileSize = 64;

struct DecodedPage {
    std::array<std::uint8_t, kPageBytes> screen{};
    std::size_t produced = 0;  // bytes the compressed data gave (kPageBytes when complete)

    bool complete() const { return produced == kPageBytes; }
    image::ScreenData screen_data() const;
};

// Decodes one compressed page: the first byte is the first screen byte; every further byte x
// gives the previous screen byte XOR x, and x = 0 (the byte repeats) is followed by a count n
// of further copies. Decoding stops at 1056 bytes whatever the counts say. A page whose data
// ends early keeps the rest of its 1056 bytes blank: one short page then still shows what it
// holds instead of losing the whole slide show, and `produced` tells how much was there.
DecodedPage decode_page(std::span<const std::uint8_t> compressed);

// The compressed form of a 1056-byte screen, as decode_page reads it.
Bytes compress_page(std::span<const std::uint8_t, kPageBytes> screen);

struct Page {
    std::size_t offset = 0;  // where the page's record starts in the file
    std::uint32_t record_length = 0;
    DecodedPage decoded;
};

struct SlideShow {
    std::array<std::uint8_t, kTitleLength + 1> title{};  // title field and the byte after it
    std::vector<Page> pages;

    // The title up to its first zero byte (at most 40 bytes).
    std::string title_text() const;
};

struct ShowRead {
    MessageId message = MessageId::none;  // 418 not a slide show, 421 no data, 410 damaged records
    std::string problem;                  // for 410: which record is damaged and how
    SlideShow show;
};

// Reads a slide show file image; extension_digit is the digit of the file's own extension,
// which must be 4 or 6 and equal the header's first byte.
ShowRead read_slide_show(std::span<const std::uint8_t> file, char extension_digit);

// The 11-byte name field of a copy saved under path: the base name (after the last folder
// separator, before the first '.'), at most 8 characters, padded with 0xFF.
std::array<std::uint8_t, kNameLength> copy_name_field(std::string_view path);

// The copy of a slide show file image saved under new_path with a new title (cut at 40
// bytes): first byte model_digit, type letter kept, name field from new_path, title field
// zero-padded through byte 53, pages unchanged. Empty when the image is shorter than the header.
Bytes retitled_copy(std::span<const std::uint8_t> file, std::string_view new_path,
                    std::string_view title, char model_digit = '6');

struct SaveOutcome {
    bool written = false;
    MessageId message = MessageId::none;
};

// Saves a copy of the slide show at source_path under new_path with a new title: the source
// cannot be read (410), not enough free space (419), a path of 256 characters or more (428), the
// file cannot be created (427). The write replaces new_path only once the copy is complete.
SaveOutcome save_copy(FileSystem& fs, const std::string& source_path, const std::string& new_path,
                      std::string_view title, char model_digit = '6');

}  // namespace travex::slides
