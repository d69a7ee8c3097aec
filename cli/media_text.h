#pragma once
// Text helpers of the group, image and slide show commands: names from files are outside
// input, so they are shown with unprintable bytes escaped.
#include <string>
#include <string_view>

#include "base/message_id.h"

namespace travex::cli {

// Printable ASCII kept, every other byte as \xNN.
std::string printable(std::string_view text);
// A JSON string literal (quotes included); bytes 0x80-0xFF are taken as Latin-1 characters.
std::string json_quoted(std::string_view text);
// The first line of a message's text, e.g. "Insufficient free disk space.".
std::string message_text(MessageId message);
// The whole text of a message as the error report shows it.
std::string_view full_message_text(MessageId message);

}  // namespace travex::cli
