#include "frame/about_picture.h"

#include "base/le_bytes.h"

namespace travex {
namespace {

constexpr AboutText kAboutTexts[] = {
    {AboutTextSource::version, {}, 24, 340, 135, kBlackIndex},
    {AboutTextSource::legal_notice, {}, 16, 120, 5, 255},
    {AboutTextSource::fixed, "RQ-7310", 34, 300, 158, kBlackIndex},
    {AboutTextSource::fixed, "TRAVEX", 62, 160, 188, kBlackIndex},
    {AboutTextSource::fixed, "Software", 38, 160, 158, kBlackIndex},
};

constexpr std::size_t kLegalNoticeField = 50;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string version_text(std::string_view file_version) {
    std::string text = "Version.";
    int digits = 0;
    int separators = 0;
    for (const char c : file_version) {
        if (digits == 2) {
            break;
        }
        if (is_digit(c)) {
            text.push_back(c);
            ++digits;
        } else if (c == ',' || c == '.') {
            if (++separators == 1) {
                text.push_back('.');
            }
        }
    }
    return text;
}

std::string legal_notice_text(std::string_view legal_copyright) {
    return std::string(legal_copyright.substr(0, kLegalNoticeField - 1));
}

std::span<const AboutText> about_texts() {
    return kAboutTexts;
}

std::optional<Bytes> load_about_picture(std::span<const std::uint8_t> file) {
    if (file.size() < kAboutFileSize || file[0] != 'B' || file[1] != 'M') {
        return std::nullopt;
    }
    const bool headers_match = read_u32le(file, 10) == kAboutPixelOffset &&
                               read_u32le(file, 14) == 40 && read_u32le(file, 18) == kAboutWidth &&
                               read_u32le(file, 22) == kAboutHeight && read_u16le(file, 26) == 1 &&
                               read_u16le(file, 28) == 8 && read_u32le(file, 30) == 0;
    if (!headers_match) {
        return std::nullopt;
    }
    return Bytes(file.begin(), file.begin() + kAboutFileSize);
}

std::uint8_t black_palette_index(const Bytes& picture) {
    for (std::size_t k = 0; k < 256; ++k) {
        const std::size_t entry = kAboutPaletteOffset + 4 * k;
        if (picture[entry] < 2 && picture[entry + 1] < 2 && picture[entry + 2] < 2) {
            return static_cast<std::uint8_t>(k);
        }
    }
    return 0;
}

void stamp_text(Bytes& picture, const TextMask& mask, int x, int y, std::uint8_t colour) {
    if (mask.width <= 0 || mask.height <= 0 ||
        mask.pixels.size() < static_cast<std::size_t>(mask.width) * mask.height * 4) {
        return;
    }
    for (int row = 0; row < mask.height; ++row) {
        const int target_row = y + row;
        if (target_row < 0 || target_row >= kAboutHeight) {
            continue;
        }
        for (int column = 0; column < mask.width; ++column) {
            const int target_column = x + column;
            if (target_column < 0 || target_column >= kAboutWidth) {
                continue;
            }
            const std::size_t source = (static_cast<std::size_t>(row) * mask.width + column) * 4;
            const bool marked = mask.pixels[source] < 255 || mask.pixels[source + 1] < 255 ||
                                mask.pixels[source + 2] < 255;
            if (marked) {
                picture[kAboutPixelOffset + static_cast<std::size_t>(target_row) * kAboutWidth +
                        target_column] = colour;
            }
        }
    }
}

}  // namespace travex
