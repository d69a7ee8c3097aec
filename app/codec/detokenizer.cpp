#include "codec/detokenizer.h"

#include <array>

#include "codec/token_tables.h"

namespace travex {
namespace {

// Token texts by first byte (and index byte for the prefixes 0x05..0x0F), looked up once so that
// the loop below does one array access per token.
class TextIndex {
public:
    TextIndex() {
        for (int first = 0; first < 256; ++first) {
            one_byte_[first] = token_text(static_cast<std::uint16_t>(first));
        }
        for (int prefix = 0x05; prefix <= 0x0F; ++prefix) {
            for (int index = 0; index < 256; ++index) {
                two_byte_[prefix - 0x05][index] =
                    token_text(static_cast<std::uint16_t>(prefix | (index << 8)));
            }
        }
    }
    std::string_view one_byte(std::uint8_t first) const { return one_byte_[first]; }
    std::string_view two_byte(std::uint8_t prefix, std::uint8_t index) const {
        return two_byte_[prefix - 0x05][index];
    }

private:
    std::array<std::string_view, 256> one_byte_{};
    std::array<std::array<std::string_view, 256>, 11> two_byte_{};
};

const TextIndex& text_index() {
    static const TextIndex instance;
    return instance;
}

// Calls sink(text) for the text of every token before the first zero byte.
//
// A two-byte token appends the text of its table entry, or nothing when the prefix has no table,
// the slot is empty or the index lies outside the table (the token is still consumed whole, so
// the rest of the program reads as it was written). A prefix byte that is the last byte before
// the end or the terminating zero appends nothing and ends the text: its missing index byte is
// never read and the terminator is never stepped over.
template <typename Sink>
bool for_each_token_text(std::span<const std::uint8_t> tokens, Sink&& sink) {
    const TextIndex& texts = text_index();
    std::size_t pos = 0;
    while (pos < tokens.size() && tokens[pos] != 0) {
        const std::uint8_t first = tokens[pos];
        if (is_two_byte_prefix(first)) {
            if (pos + 1 >= tokens.size() || tokens[pos + 1] == 0) {
                break;
            }
            const std::uint8_t second = tokens[pos + 1];
            if (!sink(texts.two_byte(first, second))) {
                return false;
            }
            pos += 2;
        } else {
            if (!sink(texts.one_byte(first))) {
                return false;
            }
            pos += 1;
        }
    }
    return true;
}

}  // namespace

std::string detokenize(std::span<const std::uint8_t> tokens) {
    std::string text;
    text.reserve(tokens.size() * 2);
    for_each_token_text(tokens, [&](std::string_view piece) {
        text.append(piece);
        return true;
    });
    return text;
}

std::optional<std::string> detokenize_checked(std::span<const std::uint8_t> tokens) {
    std::string text;
    text.reserve(tokens.size() < kMaxConvertedText ? tokens.size() * 2 : kMaxConvertedText);
    const bool fits = for_each_token_text(tokens, [&](std::string_view piece) {
        if (piece.size() > kMaxConvertedText - text.size()) {
            return false;
        }
        text.append(piece);
        return true;
    });
    if (!fits) {
        return std::nullopt;
    }
    return text;
}

}  // namespace travex
