#include "editor/edit_text.h"

namespace travex {

std::u16string to_edit_text(std::string_view calculator_text) {
    std::u16string edit_text(calculator_text.size(), u'\0');
    for (std::size_t i = 0; i < calculator_text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(calculator_text[i]);
        edit_text[i] = byte < 0x80 ? static_cast<char16_t>(byte)
                                   : static_cast<char16_t>(kCalculatorGlyphBase + byte);
    }
    return edit_text;
}

std::string from_edit_text(std::u16string_view edit_text) {
    std::string calculator_text(edit_text.size(), '\0');
    for (std::size_t i = 0; i < edit_text.size(); ++i) {
        const char16_t unit = edit_text[i];
        const bool glyph = unit >= kCalculatorGlyphBase && unit <= kCalculatorGlyphBase + 0xFF;
        calculator_text[i] = glyph || unit <= 0xFF ? static_cast<char>(unit & 0xFF) : '?';
    }
    return calculator_text;
}

}  // namespace travex
