#include "codec/escapes.h"

#include "codec/charset.h"

namespace travex {
namespace {

// Two calculator texts have escapes of their own because their glyph bytes have no name:
// the integer division "int" 0xB6 and the complex mode "x" 0xCF "yi".
constexpr std::string_view kIntDivText = "int\xB6";
constexpr std::string_view kIntDivEscape = "@intdiv@";
constexpr std::string_view kXyiText = "x\xCFyi";
constexpr std::string_view kXyiEscape = "@xyi@";

bool starts_with_at(std::string_view text, std::size_t pos, std::string_view what) {
    return text.substr(pos, what.size()) == what;
}

}  // namespace

std::string decode_escapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] != '@') {
            out.push_back(text[pos++]);
            continue;
        }
        if (starts_with_at(text, pos, kIntDivEscape)) {
            out.append(kIntDivText);
            pos += kIntDivEscape.size();
            continue;
        }
        if (starts_with_at(text, pos, kXyiEscape)) {
            out.append(kXyiText);
            pos += kXyiEscape.size();
            continue;
        }
        const std::size_t close = text.find('@', pos + 1);
        if (close == std::string_view::npos) {
            ++pos;  // a lone '@' is dropped
            continue;
        }
        if (const auto byte = glyph_byte(text.substr(pos + 1, close - pos - 1))) {
            out.push_back(static_cast<char>(*byte));
            pos = close + 1;
        } else {
            // An unknown name is dropped with its opening '@'; the closing '@' may open the next
            // escape.
            pos = close;
        }
    }
    return out;
}

std::string encode_escapes(std::string_view calculator_text) {
    std::string out;
    out.reserve(calculator_text.size() + calculator_text.size() / 4);
    std::size_t pos = 0;
    while (pos < calculator_text.size()) {
        if (starts_with_at(calculator_text, pos, kIntDivText)) {
            out.append(kIntDivEscape);
            pos += kIntDivText.size();
            continue;
        }
        if (starts_with_at(calculator_text, pos, kXyiText)) {
            out.append(kXyiEscape);
            pos += kXyiText.size();
            continue;
        }
        const auto byte = static_cast<std::uint8_t>(calculator_text[pos++]);
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
        } else if (const std::string_view name = glyph_name(byte); !name.empty()) {
            out.push_back('@');
            out.append(name);
            out.push_back('@');
        }
    }
    return out;
}

}  // namespace travex
