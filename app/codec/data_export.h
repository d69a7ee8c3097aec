#pragma once
// The text form of calculator data files: lists, list databases, matrices, table setups,
// window setups, data variables and zooms become lines of numbers under a heading.
//
// Every export starts with a heading line and an empty line; every line ends with CR LF. The
// bodies are outside input: a value is read only when its 9 bytes lie within the body, and the
// export ends at the first value it needs that does not. A line is never left half written for
// a value that is missing: a complex list element or a data variable whose second part is
// beyond the body is left out whole, and a matrix row cut short ends after its last complete
// element.
//
// Where a lone value (a real list element, a matrix element, a setup value) is a zero first
// part of a complex pair, whose text the formatter drops, the digit 0 is written instead so
// that no value shows as an empty place.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace travex {

enum class DataType {
    list,
    list_database,
    matrix,
    table_setup,
    window_setup,
    data_variable,
    zoom,
};

using DataBody = std::span<const std::uint8_t>;

std::string export_list(DataBody body);
std::string export_list_database(DataBody body);
std::string export_matrix(DataBody body);
std::string export_table_setup(DataBody body);
std::string export_window_setup(DataBody body);
std::string export_data_variable(DataBody body);
std::string export_zoom(DataBody body);

// The export of a body of the given type, whatever its length.
std::string export_data(DataType type, DataBody body);

// As export_data, but nullopt when the text is longer than a converted text may be
// (kMaxConvertedText): such a text is refused as a whole, never cut to fit.
std::optional<std::string> export_data_checked(DataType type, DataBody body);

}  // namespace travex
