#include "files/data_csv.h"

#include <algorithm>
#include <vector>

#include "base/le_bytes.h"
#include "codec/csv_text.h"
#include "codec/data_layout.h"
#include "codec/escapes.h"
#include "codec/number_text.h"
#include "codec/token_tables.h"
#include "files/calc_file.h"
#include "files/file_types.h"

namespace travex {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
using namespace data_layout;
constexpr std::uint8_t kListPrefix = 0x08;
constexpr std::uint8_t kMatrixPrefix = 0x09;

std::string at_text(std::size_t line, std::size_t column) {
    std::string text = "line " + std::to_string(line);
    if (column > 0) {
        text += ", column " + std::to_string(column);
    }
    return text;
}

std::optional<NumberValue> number_at(std::span<const std::uint8_t> body, std::size_t offset) {
    if (offset > body.size() || body.size() - offset < kNumberBytes) {
        return std::nullopt;
    }
    NumberValue value{};
    std::copy_n(body.begin() + static_cast<std::ptrdiff_t>(offset), kNumberBytes, value.begin());
    return value;
}

// The text of a list element or matrix cell: a real value, or "a+bi" when the first part is
// marked as the first of a complex pair. nullopt when no text gives these bytes back.
std::optional<std::string> element_text(const NumberValue& first,
                                        const std::optional<NumberValue>& second) {
    const bool complex = (first[1] & kNumberComplexFirst) != 0;
    NumberValue real = first;
    real[1] &= static_cast<std::uint8_t>(~kNumberComplexFirst);
    const auto real_text = exact_number_text(real);
    if (!real_text) {
        return std::nullopt;
    }
    if (!complex) {
        // A real element of a complex list keeps a second part of zero bytes.
        if (second && *second != NumberValue{}) {
            return std::nullopt;
        }
        return real_text;
    }
    if (!second) {
        return std::nullopt;
    }
    const auto imaginary = exact_number_text(*second);
    if (!imaginary) {
        return std::nullopt;
    }
    return *real_text + ((*second)[1] & kNumberNegative ? "" : "+") + *imaginary + "i";
}

std::string name_text(std::uint16_t code) {
    return encode_escapes(variable_name(code));
}

std::string title_text(const FileHeader& header) {
    std::string title(header.title.begin(), header.title.end());
    title.resize(title.find('\0') == std::string::npos ? title.size() : title.find('\0'));
    return encode_escapes(title);
}

// Reads the elements of one list at offset; the cells are added to the columns' rows.
struct ListCells {
    std::uint16_t code = 0;
    std::vector<std::string> cells;
};

std::optional<ListCells> list_cells(std::span<const std::uint8_t> body, std::size_t code_at,
                                    std::size_t count_at, std::size_t kind_at,
                                    std::size_t elements_at, std::size_t& end, std::string& error,
                                    std::size_t column) {
    if (kind_at + 2 > body.size()) {
        error = "the list's header is cut short";
        return std::nullopt;
    }
    ListCells list;
    list.code = read_u16le(body, code_at);
    const std::size_t count = read_u16le(body, count_at);
    const bool complex = read_u16le(body, kind_at) == kComplexListKind;
    const std::size_t size = complex ? 2 * kNumberBytes : kNumberBytes;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = elements_at + i * size;
        const auto first = number_at(body, at);
        const auto second = complex ? number_at(body, at + kNumberBytes) : std::nullopt;
        if (!first || (complex && !second)) {
            error = "the file ends inside element " + std::to_string(i + 1);
            return std::nullopt;
        }
        const auto text = element_text(*first, second);
        if (!text) {
            error = "element " + std::to_string(i + 1) + " of column " + std::to_string(column) +
                    " is not a value a number can be written as";
            return std::nullopt;
        }
        list.cells.push_back(*text);
    }
    end = elements_at + count * size;
    return list;
}

void append_row(std::string& out, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        out += (i == 0 ? "" : ",") + cells[i];
    }
    out += kLineEnd;
}

std::optional<std::uint16_t> variable_code_of(std::string_view name, std::uint8_t prefix) {
    const std::string calculator_name = decode_escapes(name);
    if (calculator_name.empty()) {
        return std::nullopt;  // codes without a variable have no name either
    }
    for (int index = 0; index < 256; ++index) {
        const auto code = static_cast<std::uint16_t>(prefix << 8 | index);
        if (variable_name(code) == calculator_name) {
            return code;
        }
    }
    return std::nullopt;
}

}  // namespace

CsvExport data_file_to_csv(std::span<const std::uint8_t> file) {
    CsvExport result;
    const auto header = parse_header(file);
    const char letter = header ? static_cast<char>(header->type_letter | 0x20) : 0;
    if (!header || (letter != 'l' && letter != 'n' && letter != 'm')) {
        result.error = "not a list, list database or matrix file";
        return result;
    }
    const std::span<const std::uint8_t> body = file.subspan(kHeaderSize);
    if (body.size() < kElementsAt && letter != 'n') {
        result.error = "the data is cut short";
        return result;
    }
    std::string out;
    std::size_t end = 0;
    if (letter == 'l') {
        const auto list =
            list_cells(body, 0, kListCountAt, kListKindAt, kElementsAt, end, result.error, 1);
        if (!list) {
            return result;
        }
        append_row(out, {csv_field(name_text(list->code)), csv_field(title_text(*header))});
        for (const std::string& cell : list->cells) {
            append_row(out, {cell});
        }
    } else if (letter == 'm') {
        const std::size_t columns = read_u16le(body, kMatrixColumnsAt);
        const std::size_t rows = read_u16le(body, kMatrixRowsAt);
        append_row(out,
                   {csv_field(name_text(read_u16le(body, 0))), csv_field(title_text(*header))});
        for (std::size_t r = 0; r < rows; ++r) {
            std::vector<std::string> cells;
            for (std::size_t c = 0; c < columns; ++c) {
                const auto number = number_at(body, kElementsAt + kNumberBytes * (r + c * rows));
                const auto text = number ? element_text(*number, std::nullopt) : std::nullopt;
                if (!text) {
                    result.error =
                        at_text(r + 2, c + 1) + (number ? ": not a value a number can be written as"
                                                        : ": the file ends before this element");
                    return result;
                }
                cells.push_back(*text);
            }
            append_row(out, cells);
        }
        end = kElementsAt + kNumberBytes * rows * columns;
    } else {
        if (body.size() < kDatabaseListsAt) {
            result.error = "the data is cut short";
            return result;
        }
        std::vector<ListCells> lists;
        std::size_t at = kDatabaseListsAt;
        while (lists.size() < kDatabaseMaxLists && body.size() >= at + kListHeaderBytes) {
            auto list = list_cells(body, at + kListHeaderCodeAt, at + kListHeaderCountAt,
                                   at + kListHeaderKindAt, at + kListHeaderBytes, at, result.error,
                                   lists.size() + 1);
            if (!list) {
                return result;
            }
            lists.push_back(std::move(*list));
        }
        end = at;
        append_row(out,
                   {csv_field(name_text(read_u16le(body, 0))), csv_field(title_text(*header))});
        std::vector<std::string> names;
        std::size_t longest = 0;
        for (const ListCells& list : lists) {
            names.push_back(csv_field(name_text(list.code)));
            longest = std::max(longest, list.cells.size());
        }
        append_row(out, names);
        for (std::size_t r = 0; r < longest; ++r) {
            std::vector<std::string> cells;
            for (const ListCells& list : lists) {
                cells.push_back(r < list.cells.size() ? list.cells[r] : "");
            }
            append_row(out, cells);
        }
    }
    result.text = std::move(out);
    if (letter == 'n') {
        // A list database is not built back from CSV.
        return result;
    }
    const CsvImport again = data_file_from_csv(result.text, letter, std::nullopt, std::nullopt);
    result.differs_on_import =
        !again.error.empty() || end != body.size() ||
        !std::equal(again.file.begin(), again.file.end(), file.begin(), file.end());
    return result;
}

CsvImport data_file_from_csv(std::string_view csv, char type_letter,
                             const std::optional<std::string>& name,
                             const std::optional<std::string>& title) {
    CsvImport result;
    const bool list = type_letter == 'l';
    const std::size_t max_values = (kMaxImportedBody - kElementsAt) / kNumberBytes;
    // One row more for the naming row.
    const CsvParse parse = parse_csv(csv, max_values + 1);
    if (!parse.ok()) {
        result.error = at_text(parse.error_line, parse.error_column) + ": " + parse.error;
        return result;
    }
    std::vector<CsvRow> rows = parse.rows;
    std::string name_cell;
    std::optional<std::string> title_cell;
    if (!rows.empty() &&
        value_from_text(rows.front().cells.front()).error != NumberTextError::none) {
        const CsvRow& first = rows.front();
        if (first.cells.size() > 2) {
            result.error = at_text(first.line, 3) +
                           ": the naming row holds the variable's name and the title only";
            return result;
        }
        name_cell = first.cells[0];
        if (first.cells.size() > 1) {
            title_cell = first.cells[1];
        }
        rows.erase(rows.begin());
    }
    if (name) {
        name_cell = *name;
    }
    if (title) {
        title_cell = *title;
    }
    const std::uint8_t prefix = list ? kListPrefix : kMatrixPrefix;
    const std::string default_name = list ? "L1" : "mat A";
    const auto code = variable_code_of(name_cell.empty() ? default_name : name_cell, prefix);
    if (!code) {
        result.error = std::string(name ? "--name" : at_text(1, 1)) + ": \"" + name_cell +
                       "\" is not the name of a " +
                       (list ? "list (L1 .. L6)" : "matrix (mat A ..)");
        return result;
    }
    const FileType* type = find_file_type(type_letter);
    const std::string title_bytes =
        title_cell ? decode_escapes(*title_cell) : std::string(type ? type->default_title : "");
    if (title_bytes.size() > kTitleSize || title_bytes.find('\0') != std::string::npos) {
        result.error =
            std::string(title ? "--title" : at_text(1, 2)) + ": a title has at most 40 characters";
        return result;
    }
    if (rows.empty()) {
        result.error = "no values";
        return result;
    }
    // The values, row after row.
    const std::size_t columns = rows.front().cells.size();
    std::vector<ValueFromText> values;
    bool complex = false;
    for (const CsvRow& row : rows) {
        if (list && row.cells.size() != 1) {
            result.error = at_text(row.line, 2) + ": a list has one value per line";
            return result;
        }
        if (row.cells.size() != columns) {
            result.error = at_text(row.line, 0) + ": " + std::to_string(row.cells.size()) +
                           " values where the first row of the matrix has " +
                           std::to_string(columns);
            return result;
        }
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            const std::string& cell = row.cells[c];
            ValueFromText value = value_from_text(cell);
            if (value.error == NumberTextError::malformed) {
                result.error = at_text(row.line, c + 1) + ": \"" + cell + "\" is not a number";
                return result;
            }
            if (value.error == NumberTextError::out_of_range) {
                result.error = at_text(row.line, c + 1) + ": " + cell +
                               " is beyond what the calculator holds (1E-99 up to "
                               "9.9999999999999E+99 in size)";
                return result;
            }
            if (value.imaginary && !list) {
                result.error =
                    at_text(row.line, c + 1) + ": a matrix holds real numbers only, not " + cell;
                return result;
            }
            complex = complex || value.imaginary.has_value();
            values.push_back(value);
        }
    }
    const std::size_t element_bytes = complex ? 2 * kNumberBytes : kNumberBytes;
    if (kElementsAt + values.size() * element_bytes > kMaxImportedBody) {
        result.error = std::to_string(values.size()) + (complex ? " complex" : "") +
                       " values are more than a data file holds (at most " +
                       std::to_string((kMaxImportedBody - kElementsAt) / element_bytes) + ")";
        return result;
    }
    Bytes body;
    append_u16le(body, *code);
    body.push_back(0);
    if (list) {
        append_u16le(body, static_cast<std::uint16_t>(values.size()));
        append_u16le(body, complex ? kComplexListKind : 0);
        for (const ValueFromText& value : values) {
            NumberValue first = value.first;
            if (value.imaginary) {
                first[1] |= kNumberComplexFirst;
            }
            body.insert(body.end(), first.begin(), first.end());
            if (complex) {
                const NumberValue second = value.imaginary.value_or(NumberValue{});
                body.insert(body.end(), second.begin(), second.end());
            }
        }
    } else {
        const std::size_t row_count = rows.size();
        append_u16le(body, static_cast<std::uint16_t>(columns));
        append_u16le(body, static_cast<std::uint16_t>(row_count));
        // Column after column.
        for (std::size_t c = 0; c < columns; ++c) {
            for (std::size_t r = 0; r < row_count; ++r) {
                const NumberValue& v = values[r * columns + c].first;
                body.insert(body.end(), v.begin(), v.end());
            }
        }
    }
    FileHeader file_header;
    file_header.model_digit = '6';
    file_header.type_letter = static_cast<std::uint8_t>(type_letter);
    file_header.name = variable_code_item_name(*code);
    std::copy(title_bytes.begin(), title_bytes.end(), file_header.title.begin());
    const auto header_bytes = build_header(file_header);
    result.file.assign(header_bytes.begin(), header_bytes.end());
    result.file.insert(result.file.end(), body.begin(), body.end());
    return result;
}

}  // namespace travex
