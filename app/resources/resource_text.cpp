#include "resources/resource_text.h"

#include <cstdio>

#include "resources/string_table.h"

namespace travex {

std::u16string resource_form(std::string_view calculator_text) {
    std::u16string stored;
    stored.reserve(calculator_text.size());
    for (const char byte : calculator_text) {
        stored.push_back(static_cast<char16_t>(static_cast<unsigned char>(byte)));
    }
    return stored;
}

namespace {

// A wide string literal for windres: printable ASCII stands for itself, a quote is doubled,
// everything else (control bytes, glyphs, backslash) is a four-digit hexadecimal escape, which
// windres never reads further than four digits.
void append_rc_literal(std::string& out, std::u16string_view text) {
    out += "L\"";
    for (const char16_t unit : text) {
        if (unit == u'"') {
            out += "\"\"";
        } else if (unit >= 0x20 && unit < 0x7F && unit != u'\\') {
            out.push_back(static_cast<char>(unit));
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%04X", static_cast<unsigned>(unit));
            out += escape;
        }
    }
    out += '"';
}

}  // namespace

std::string string_table_resource_script() {
    std::string out = "STRINGTABLE\nBEGIN\n";
    for (const StringEntry& entry : string_table()) {
        out += "    " + std::to_string(entry.id) + ", ";
        append_rc_literal(out, resource_form(entry.text));
        out += '\n';
    }
    out += "END\n";
    return out;
}

}  // namespace travex
