#pragma once
// Line breaks of text shown in an editor. The edit box shows a lone line feed or a lone carriage
// return as a line break, while the tokenizer reads only carriage return + line feed as one (a
// lone LF becomes a space), so text written on other systems would be saved differently from
// how it looked. Loaded text is therefore given CR LF line breaks throughout.
#include <string>
#include <string_view>

namespace travex {

// Every LF not preceded by a CR and every CR not followed by an LF becomes CR LF, so "\n\r" is
// two line breaks; CR LF pairs and all other bytes stay as they are. Text that already has CR LF
// line breaks only (every program's text) comes back unchanged.
std::string with_crlf_line_breaks(std::string_view text);

}  // namespace travex
