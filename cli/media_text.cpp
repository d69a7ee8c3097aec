#include "cli/media_text.h"

#include <cstdio>

#include "files/file_messages.h"
#include "resources/string_table.h"

namespace travex::cli {

std::string printable(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

std::string json_quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
            out += escaped;
        }
    }
    return out + "\"";
}

std::string message_text(MessageId message) {
    const auto text = string_text(string_id(message));
    if (!text) {
        return "message " + std::to_string(string_id(message));
    }
    // Messages that ask a question continue after a carriage return; the console shows the
    // statement only.
    return std::string(text->substr(0, text->find('\r')));
}

std::string_view full_message_text(MessageId message) {
    return string_text(string_id(message)).value_or(std::string_view());
}

}  // namespace travex::cli
