#pragma once
// The About box picture: a 500 x 300 bottom-up 8-bit Windows bitmap file kept in the
// resources, on which the application writes its version, legal notice, model and name.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/bytes.h"

namespace travex {

inline constexpr int kAboutWidth = 500;
inline constexpr int kAboutHeight = 300;
inline constexpr std::size_t kAboutPixelOffset = 1078;  // 14 + 40 + 256 palette entries
inline constexpr std::size_t kAboutPaletteOffset = 54;
inline constexpr std::size_t kAboutFileSize = kAboutPixelOffset + kAboutWidth * kAboutHeight;

// "Version." and at most two digits of the FileVersion string, a point for the first
// separator: "1, 1, 0, 0" gives "Version.1.1".
std::string version_text(std::string_view file_version);

// The legal notice as it fits its 50-byte field (at most 49 characters, cut at the end).
std::string legal_notice_text(std::string_view legal_copyright);

// One text written on the picture; (x, y) is its bottom-left corner counted from the
// picture's bottom-left corner. Colour kBlackIndex means the palette's black.
enum class AboutTextSource { version, legal_notice, fixed };
inline constexpr int kBlackIndex = -1;
struct AboutText {
    AboutTextSource source;
    std::string_view fixed_text;
    int cell_height;
    int x;
    int y;
    int colour;
};
std::span<const AboutText> about_texts();

// The bitmap file accepted as the About picture (a copy), or nothing when its headers are not
// those of a 500 x 300 uncompressed 8-bit bottom-up bitmap of the full size.
std::optional<Bytes> load_about_picture(std::span<const std::uint8_t> file);

// Palette index of black: the first entry whose blue, green and red are all below 2; 0 when
// none is.
std::uint8_t black_palette_index(const Bytes& picture);

// A rendered text: a 32-bit bottom-up pixel block (blue, green, red, unused) of the text's
// size; every pixel that is not pure white marks the text.
struct TextMask {
    int width = 0;
    int height = 0;
    std::span<const std::uint8_t> pixels;  // width * height * 4 bytes
};

// Sets the picture pixels under the text's marked pixels to the colour index. Pixels that
// would fall outside the picture are left out.
void stamp_text(Bytes& picture, const TextMask& mask, int x, int y, std::uint8_t colour);

}  // namespace travex
