#include "settings/ini_profile_store.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace travex {
namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// One line of the file, its end-of-line bytes excluded.
struct Line {
    std::string_view text;
    std::string_view eol;
};

std::vector<Line> split_lines(std::string_view content) {
    std::vector<Line> lines;
    while (!content.empty()) {
        const std::size_t nl = content.find('\n');
        if (nl == std::string_view::npos) {
            lines.push_back({content, {}});
            break;
        }
        std::size_t end = nl;
        if (end > 0 && content[end - 1] == '\r') {
            --end;
        }
        lines.push_back({content.substr(0, end), content.substr(end, nl + 1 - end)});
        content.remove_prefix(nl + 1);
    }
    return lines;
}

std::optional<std::string_view> section_name(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    const std::size_t close = line.find(']');
    return trim(close == std::string_view::npos ? line : line.substr(0, close));
}

bool is_comment(std::string_view line) {
    line = trim(line);
    return !line.empty() && line.front() == ';';
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
    bool has_value = true;  // false for a line with a key and no "="
};

std::optional<KeyLine> key_line(std::string_view line) {
    if (is_comment(line) || trim(line).empty()) {
        return std::nullopt;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return KeyLine{trim(line), {}, false};
    }
    return KeyLine{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

// Where a key sits in the file: the first section of that name, then its first key of that
// name. section is the index of the section's header line, key the index of the key's line.
struct Location {
    std::optional<std::size_t> section;
    std::optional<std::size_t> key;
    std::size_t section_last_line = 0;  // last non-blank line of the section
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location where;
    section = trim(section);
    key = trim(key);
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = section_name(lines[i].text)) {
            if (inside) {
                break;  // only the first section of the name counts
            }
            if (same_name(*name, section)) {
                inside = true;
                where.section = i;
                where.section_last_line = i;
            }
            continue;
        }
        if (!inside) {
            continue;
        }
        if (!trim(lines[i].text).empty()) {
            where.section_last_line = i;
        }
        if (auto entry = key_line(lines[i].text); entry && same_name(entry->key, key)) {
            where.key = i;
            break;
        }
    }
    return where;
}

std::string_view strip_quotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

int parse_profile_int(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // "0x", "0o" and "0b" choose hexadecimal, octal and binary digits.
    std::uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        switch (text[i + 1]) {
            case 'x':
                base = 16;
                break;
            case 'o':
                base = 8;
                break;
            case 'b':
                base = 2;
                break;
            default:
                break;
        }
        if (base != 10) {
            i += 2;
        }
    }
    std::uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        std::uint32_t digit = 99;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'z') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'Z') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        }
        if (digit >= base) {
            break;
        }
        total = total * base + digit;
    }
    if (negative) {
        total = 0u - total;
    }
    return static_cast<int>(total);
}

std::string IniProfileStore::get_string(std::string_view section, std::string_view key,
                                        std::string_view default_value) {
    const auto bytes = files_.read_file(path_);
    if (!bytes) {
        return std::string(default_value);
    }
    const std::string_view content(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    const auto lines = split_lines(content);
    const Location where = locate(lines, section, key);
    if (!where.key) {
        return std::string(default_value);
    }
    const KeyLine entry = *key_line(lines[*where.key].text);
    if (!entry.has_value) {
        return std::string(default_value);
    }
    return std::string(strip_quotes(entry.value));
}

int IniProfileStore::get_int(std::string_view section, std::string_view key, int default_value) {
    // A private marker that no stored value can equal tells a missing key from a stored one.
    static constexpr std::string_view kMissing("\n");
    const std::string value = get_string(section, key, kMissing);
    if (value == kMissing || value.empty()) {
        return default_value;
    }
    return parse_profile_int(value);
}

bool IniProfileStore::write_string(std::string_view section, std::string_view key,
                                   std::string_view value) {
    // A line break inside a name or value would turn into further lines of the file.
    for (std::string_view part : {section, key, value}) {
        if (part.find_first_of("\r\n") != std::string_view::npos) {
            return false;
        }
    }
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || key.find('=') != std::string_view::npos ||
        section.find(']') != std::string_view::npos) {
        return false;
    }
    std::string content;
    if (auto bytes = files_.read_file(path_)) {
        content.assign(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    } else if (files_.exists(path_)) {
        return false;  // never replace a file that exists but cannot be read
    }
    const auto lines = split_lines(content);
    const std::string_view eol =
        content.find("\r\n") != std::string::npos || content.find('\n') == std::string::npos
            ? std::string_view("\r\n")
            : std::string_view("\n");
    const std::string entry = std::string(key) + "=" + std::string(value);
    const Location where = locate(lines, section, key);

    std::string out;
    out.reserve(content.size() + entry.size() + section.size() + 8);
    if (where.key) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i == *where.key) {
                // Keep the key as the file spells it; only the value changes.
                out += std::string(key_line(lines[i].text)->key) + "=" + std::string(value);
            } else {
                out += lines[i].text;
            }
            out += lines[i].eol;
        }
    } else if (where.section) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out += lines[i].text;
            out += lines[i].eol.empty() ? eol : lines[i].eol;
            if (i == where.section_last_line) {
                // New keys go after the section's last entry, before any blank lines.
                out += entry;
                out += eol;
            }
        }
    } else {
        out = content;
        if (!out.empty()) {
            if (out.back() != '\n') {
                out += eol;
            }
            out += eol;
        }
        out += "[" + std::string(section) + "]";
        out += eol;
        out += entry;
        out += eol;
    }
    return files_.write_file_atomic(path_, out) == WriteResult::written;
}

}  // namespace travex
