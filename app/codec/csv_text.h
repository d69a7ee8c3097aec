#pragma once
// Comma-separated values as spreadsheets write them: fields split by commas, a field in double
// quotes may hold commas and doubled quotes, lines end in LF or CR LF. Numbers never span lines,
// so a quoted field holding a line break is refused as a damaged file instead of being joined.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace travex {

struct CsvRow {
    std::size_t line = 0;  // 1-based line of the text
    std::vector<std::string> cells;
};

struct CsvParse {
    std::vector<CsvRow> rows;  // blank lines are left out
    std::string error;         // empty when the whole text was read
    std::size_t error_line = 0;
    std::size_t error_column = 0;  // 1-based field number, 0 when the line as a whole is wrong

    bool ok() const { return error.empty(); }
};

// Reads the rows of text; stops with an error at the first malformed line or when a row beyond
// max_rows begins. A byte order mark at the start is skipped; blanks around unquoted fields are
// dropped.
CsvParse parse_csv(std::string_view text, std::size_t max_rows);

// A field as a CSV line holds it: quoted (with doubled quotes) when it has a comma, a quote, a
// line break or blanks at either end.
std::string csv_field(std::string_view text);

}  // namespace travex
