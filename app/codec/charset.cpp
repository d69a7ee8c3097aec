#include "codec/charset.h"

#include <array>

namespace travex {
namespace {

// The named glyph bytes, in byte order. The name is the string (byte + 372) of the string table.
// clang-format off
constexpr std::array<GlyphName, 58> kGlyphNames = {{
    {0x82, "0"}, {0x83, "1"}, {0x84, "2"}, {0x85, "3"}, {0x86, "4"}, {0x87, "5"}, {0x88, "6"},
    {0x89, "7"}, {0x8A, "8"}, {0x8B, "9"}, {0x8C, "a"}, {0x91, "b"}, {0x92, "c"}, {0x93, "d"},
    {0x94, "e"}, {0x95, "r"}, {0x96, "R"}, {0x97, "grad"}, {0x98, "n"}, {0x99, "EE"},
    {0x9A, "-"}, {0x9B, "deg"}, {0x9C, "rad"}, {0x9F, "i"}, {0xA1, "complex_angle"},
    {0xA9, "theta"}, {0xAA, "T"}, {0xAB, "pi"}, {0xAC, "p_hat"}, {0xAD, "x_mean"},
    {0xAE, "y_mean"}, {0xB1, "not_="}, {0xB2, ">="}, {0xB3, "<="}, {0xB7, "x"}, {0xB8, "frac"},
    {0xB9, "Per"}, {0xBA, "Com"}, {0xBB, "^2"}, {0xBC, "^-1"}, {0xBD, "^3"}, {0xBE, "sto"},
    {0xBF, "root"}, {0xC1, "10"}, {0xC2, "SIGMA"}, {0xC3, "integral"}, {0xC4, "\\"},
    {0xC8, "N"}, {0xCA, "unit"}, {0xCB, "sigma"}, {0xCD, "chi"}, {0xCE, "stat_F"}, {0xD1, "box"},
    {0xD2, "cross"}, {0xD3, "dot"}, {0xD8, "->"}, {0xF9, "^4"}, {0xFE, "^b"},
}};
// clang-format on

// Byte -> index into kGlyphNames + 1 (0: no name), built at compile time.
constexpr std::array<std::uint8_t, 256> kIndexOfByte = [] {
    std::array<std::uint8_t, 256> index{};
    for (std::size_t i = 0; i < kGlyphNames.size(); ++i) {
        index[kGlyphNames[i].byte] = static_cast<std::uint8_t>(i + 1);
    }
    return index;
}();

}  // namespace

std::span<const GlyphName> glyph_names() {
    return kGlyphNames;
}

std::optional<std::uint8_t> glyph_byte(std::string_view name) {
    constexpr std::size_t kLongestName = 13;  // "complex_angle"
    if (name.empty() || name.size() > kLongestName) {
        return std::nullopt;
    }
    for (const GlyphName& glyph : kGlyphNames) {
        if (glyph.name == name) {
            return glyph.byte;
        }
    }
    return std::nullopt;
}

std::string_view glyph_name(std::uint8_t byte) {
    const std::uint8_t index = kIndexOfByte[byte];
    return index == 0 ? std::string_view{} : kGlyphNames[index - 1].name;
}

std::optional<std::string> load_calculator_text(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const char16_t unit : text) {
        if (unit < 0x100) {
            bytes.push_back(static_cast<char>(unit));
        } else if (unit >= 0xFF01) {
            bytes.push_back(static_cast<char>(((unit & 0xFF) + 0x40) & 0xFF));
        } else if (unit == 0xF8F2) {
            bytes.push_back(static_cast<char>(0xFE));
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

}  // namespace travex
