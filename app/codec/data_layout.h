// Where the fields of list, matrix and list-database bodies lie. The data-file export and the
// CSV import both read these bodies (and the import writes them), so they share one layout.
#pragma once

#include <cstddef>
#include <cstdint>

namespace travex::data_layout {

// The kind field of a list whose elements are complex numbers (two numbers each).
constexpr std::uint16_t kComplexListKind = 2;

// List and matrix bodies: variable code, one unused byte, two 16-bit fields, then elements.
constexpr std::size_t kListCountAt = 3;
constexpr std::size_t kListKindAt = 5;
constexpr std::size_t kMatrixColumnsAt = 3;
constexpr std::size_t kMatrixRowsAt = 5;
constexpr std::size_t kElementsAt = 7;

// List database: the database's variable code, then up to six lists, each behind a 15-byte
// list header of which bytes 8-9 (variable code), 11-12 (count) and 13-14 (kind) are used.
constexpr std::size_t kDatabaseListsAt = 2;
constexpr std::size_t kDatabaseMaxLists = 6;
constexpr std::size_t kListHeaderBytes = 15;
constexpr std::size_t kListHeaderCodeAt = 8;
constexpr std::size_t kListHeaderCountAt = 11;
constexpr std::size_t kListHeaderKindAt = 13;

}  // namespace travex::data_layout
