#include "codec/tokenizer.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "codec/token_tables.h"

namespace travex {
namespace {

// All non-empty token texts as a byte trie, so that one walk along the text finds the longest
// entry the text starts with. Entries are inserted in the search order of the tables; should two
// entries ever share a text, the one inserted first keeps it (a later entry only wins by being
// strictly longer, which the walk gives by itself).
class TokenTrie {
public:
    TokenTrie() {
        nodes_.emplace_back();  // node 0: the root
        for (const TokenTable& table : token_tables()) {
            for (std::size_t i = 0; i < table.entries.size(); ++i) {
                if (!table.entries[i].empty()) {
                    insert(table.entries[i], table.code_of(i));
                }
            }
        }
    }

    // The longest entry at text[pos], or nullopt-like {0, 0} when none matches.
    TokenMatch longest(std::string_view text, std::size_t pos) const {
        TokenMatch best{0, 0};
        std::uint32_t node = 0;
        for (std::size_t i = pos; i < text.size(); ++i) {
            node = child(node, static_cast<std::uint8_t>(text[i]));
            if (node == 0) {
                break;
            }
            if (nodes_[node].terminal) {
                best = {nodes_[node].code, i - pos + 1};
            }
        }
        return best;
    }

private:
    struct Node {
        std::vector<std::pair<std::uint8_t, std::uint32_t>> children;
        std::uint16_t code = 0;
        bool terminal = false;
    };

    std::uint32_t child(std::uint32_t node, std::uint8_t byte) const {
        if (node == 0) {
            return root_children_[byte];
        }
        for (const auto& [edge, target] : nodes_[node].children) {
            if (edge == byte) {
                return target;
            }
        }
        return 0;
    }

    void insert(std::string_view text, std::uint16_t code) {
        std::uint32_t node = 0;
        for (const char c : text) {
            const auto byte = static_cast<std::uint8_t>(c);
            std::uint32_t next = child(node, byte);
            if (next == 0) {
                next = static_cast<std::uint32_t>(nodes_.size());
                nodes_.emplace_back();
                if (node == 0) {
                    root_children_[byte] = next;
                } else {
                    nodes_[node].children.emplace_back(byte, next);
                }
            }
            node = next;
        }
        if (!nodes_[node].terminal) {
            nodes_[node].terminal = true;
            nodes_[node].code = code;
        }
    }

    std::array<std::uint32_t, 256> root_children_{};
    std::vector<Node> nodes_;
};

const TokenTrie& trie() {
    static const TokenTrie instance;
    return instance;
}

// The one-byte token of a character that starts no entry: digits and upper-case letters are
// their own codes, lower-case letters those of their upper-case letters, everything else
// (control characters, a lone CR or LF, a zero byte, other punctuation, bytes 0x7B..0xFF) is a
// space. A zero byte thus never reaches the token string, where it would end the program.
std::uint8_t fallback_token(char c) {
    const auto byte = static_cast<std::uint8_t>(c);
    if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z')) {
        return byte;
    }
    if (byte >= 'a' && byte <= 'z') {
        return static_cast<std::uint8_t>(byte - 'a' + 'A');
    }
    return kSpaceToken;
}

// Tokenizes text into out; stops and answers false as soon as out would grow beyond limit.
bool tokenize_into(std::string_view text, std::size_t limit, std::string& out) {
    std::size_t line = 0;
    std::size_t pos = 0;
    auto put = [&](std::uint8_t byte) {
        if (out.size() >= limit) {
            return false;
        }
        out.push_back(static_cast<char>(byte));
        return true;
    };
    while (pos < text.size()) {
        const TokenMatch match = match_token(text, pos);
        const auto first = static_cast<std::uint8_t>(match.code & 0xFF);
        const auto second = static_cast<std::uint8_t>(match.code >> 8);
        const bool two_bytes = is_two_byte_prefix(first);
        const std::size_t size = two_bytes ? 2 : 1;
        if (first == kLineBreakToken) {
            line = 0;
        } else {
            if (line + size > kMaxLineTokenBytes) {
                if (!put(kLineBreakToken)) {
                    return false;
                }
                line = 0;
            }
            line += size;
        }
        if (!put(first) || (two_bytes && !put(second))) {
            return false;
        }
        pos += match.length;
    }
    return true;
}

}  // namespace

TokenMatch match_token(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) {
        return {0, 0};  // nothing left to match; never reads past the text
    }
    const TokenMatch match = trie().longest(text, pos);
    if (match.length != 0) {
        return match;
    }
    return {fallback_token(text[pos]), 1};
}

std::string tokenize(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    tokenize_into(text, std::string::npos, out);
    return out;
}

std::optional<std::string> tokenize_checked(std::string_view text) {
    std::string out;
    out.reserve(std::min(text.size() + text.size() / 8, kMaxConvertedText));
    if (!tokenize_into(text, kMaxConvertedText, out)) {
        return std::nullopt;
    }
    return out;
}

}  // namespace travex
