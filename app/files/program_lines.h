#pragma once
// The lines of a program as it was opened: each line's token bytes beside the text it shows.
// Saving re-tokenizes only the lines the user changed. A line whose text is unchanged keeps its
// bytes, so an edit in one line never alters another, and tokens whose text would tokenize back
// into other tokens survive every open and save unchanged.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace travex {

class ProgramLines {
public:
    ProgramLines() = default;
    // The lines of a program body (token bytes; reading stops at the first zero byte, as the
    // detokenizer's does). The 0xFD tokens separate the lines.
    static ProgramLines from_tokens(std::string_view body);

    // The token bytes of text, which has its lines separated by CR LF: every line whose text
    // equals a line of the opened program keeps that line's bytes (matched in order, so that
    // equal texts keep the bytes of their own place), every other line is tokenized. Without
    // any opened lines this is the tokenizer's result for the whole text.
    std::string tokens_for(std::string_view text) const;

    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }

private:
    struct Line {
        std::string text;
        std::string tokens;
    };
    std::vector<Line> lines_;
};

}  // namespace travex
