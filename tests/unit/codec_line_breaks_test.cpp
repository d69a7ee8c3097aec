// Line breaks of loaded text: every lone LF and lone CR becomes CR LF, nothing else changes.
#include "codec/line_breaks.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using travex::with_crlf_line_breaks;

TEST(LineBreaks, LoneAndMixedBreaksBecomeCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"\n", "\r\n"},
        {"\r", "\r\n"},
        {"\r\n", "\r\n"},
        // LF CR is two breaks, not one turned round.
        {"\n\r", "\r\n\r\n"},
        {"\r\r\n\n", "\r\n\r\n\r\n"},
        {"ClrT\nPrint \"A\"\nPrint \"B\"\n", "ClrT\r\nPrint \"A\"\r\nPrint \"B\"\r\n"},
        {"A\rB\r\nC\nD", "A\r\nB\r\nC\r\nD"},
        // Breaks at both ends, and a CR as the very last byte.
        {"\nA\r", "\r\nA\r\n"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(with_crlf_line_breaks(text), expected) << "text of " << text.size() << " bytes";
    }
}

}  // namespace
