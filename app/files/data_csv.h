#pragma once
// Lists, list databases and matrices as CSV for spreadsheets, and lists and matrices built back
// from CSV into calculator files.
//
// The first row names the variable and gives the file's title ("L1,Marks"); a list database's
// second row names its lists. Then one row per element (a list), per row of the matrix, or per
// position of a database's lists (a shorter list leaves its cells empty). Values are written
// with every digit they hold, so importing an exported file gives the same file byte for byte.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/bytes.h"

namespace travex {

// What an import or export gives: the result, or a message that names the line and column of
// the problem.
struct CsvExport {
    std::string text;
    std::string error;
    // Set when importing the text again would not give the same file (parts of the file that CSV
    // does not carry, such as a header that does not match the data).
    bool differs_on_import = false;
};

// A whole list (l), list database (n) or matrix (m) file as CSV.
CsvExport data_file_to_csv(std::span<const std::uint8_t> file);

struct CsvImport {
    Bytes file;
    std::string error;
};

// The largest body an imported file may have: the most the application reads of a data file.
inline constexpr std::size_t kMaxImportedBody = 61440;

// Builds a list (type_letter 'l') or matrix ('m') file from CSV. name (a variable name such as
// "L1" or "mat A") and title replace those of the first row; without either, the first row may
// be data and the first list or matrix with the type's usual title is made.
CsvImport data_file_from_csv(std::string_view csv, char type_letter,
                             const std::optional<std::string>& name,
                             const std::optional<std::string>& title);

}  // namespace travex
