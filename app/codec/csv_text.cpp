#include "codec/csv_text.h"

namespace travex {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

CsvParse parse_csv(std::string_view text, std::size_t max_rows) {
    CsvParse parse;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    const auto failed = [&](std::size_t line, std::size_t column, std::string message) {
        parse.error = std::move(message);
        parse.error_line = line;
        parse.error_column = column;
        return parse;
    };
    std::size_t line = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        ++line;
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view content = text.substr(at, end - at);
        at = end + 1;
        if (!content.empty() && content.back() == '\r') {
            content.remove_suffix(1);
        }
        if (trimmed(content).empty()) {
            continue;
        }
        if (parse.rows.size() >= max_rows) {
            return failed(line, 0,
                          "more than " + std::to_string(max_rows) + " rows; nothing was written");
        }
        CsvRow row{line, {}};
        std::size_t i = 0;
        for (;;) {
            const std::size_t column = row.cells.size() + 1;
            while (i < content.size() && is_blank(content[i])) {
                ++i;
            }
            std::string cell;
            if (i < content.size() && content[i] == '"') {
                ++i;
                bool closed = false;
                while (i < content.size()) {
                    if (content[i] != '"') {
                        if (content[i] == '\r') {
                            return failed(line, column, "a quoted field holds a line break");
                        }
                        cell.push_back(content[i++]);
                    } else if (i + 1 < content.size() && content[i + 1] == '"') {
                        cell.push_back('"');
                        i += 2;
                    } else {
                        ++i;
                        closed = true;
                        break;
                    }
                }
                if (!closed) {
                    return failed(line, column,
                                  at <= text.size() ? "a quoted field holds a line break"
                                                    : "a quoted field is not closed");
                }
                while (i < content.size() && is_blank(content[i])) {
                    ++i;
                }
                if (i < content.size() && content[i] != ',') {
                    return failed(line, column, "text after the closing quote of a field");
                }
            } else {
                const std::size_t comma = content.find(',', i);
                const std::string_view field = content.substr(
                    i, comma == std::string_view::npos ? std::string_view::npos : comma - i);
                if (field.find('"') != std::string_view::npos) {
                    return failed(line, column, "a quote inside an unquoted field");
                }
                if (field.find('\r') != std::string_view::npos) {
                    return failed(line, column, "a carriage return inside a line");
                }
                cell = std::string(trimmed(field));
                i = comma == std::string_view::npos ? content.size() : comma;
            }
            row.cells.push_back(std::move(cell));
            if (i >= content.size()) {
                break;
            }
            ++i;  // the comma
            if (i >= content.size()) {
                row.cells.emplace_back();  // a comma at the end gives an empty last field
                break;
            }
        }
        parse.rows.push_back(std::move(row));
    }
    return parse;
}

std::string csv_field(std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (is_blank(text.front()) || is_blank(text.back())));
    if (!quote) {
        return std::string(text);
    }
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    return out + "\"";
}

}  // namespace travex
