#include "codec/data_export.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "base/bytes.h"
#include "codec/text_limits.h"
#include "tests/unit/test_bytes.h"

namespace {

using travex::Bytes;
using travex::DataType;
using travex::testing::bcd_number;
using travex::testing::concat;

// Small integers -9..9; extra_flags 4 marks the first part of a complex pair.
Bytes small(int value, int extra_flags = 0) {
    return bcd_number(0, (value < 0 ? 1 : 0) | extra_flags,
                      std::to_string(value < 0 ? -value : value));
}

Bytes u16(int value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
}

// A list body: variable code, unused byte, count, kind (2: complex), then the numbers given.
Bytes list_body(int code, int count, int kind, std::initializer_list<Bytes> values) {
    return concat({u16(code), {0}, u16(count), u16(kind), concat(values)});
}

// A 2 x 3 matrix holding 1 2 3 / 4 5 6: laid out as a list whose two fields are the columns and
// the rows, with the elements column after column.
Bytes matrix_body() {
    return list_body(0x0910, 3, 2, {small(1), small(4), small(2), small(5), small(3), small(6)});
}

Bytes first(const Bytes& body, std::size_t n) {
    return Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n));
}

TEST(DataExport, ListsAndMatrices) {
    // clang-format off
    const std::tuple<DataType, Bytes, std::string> cases[] = {
        // 3+4i, 0+0i, i, 5+0i and an element without the complex flag.
        {DataType::list, list_body(0x0811, 5, 2, {small(3, 4), small(4), small(0, 4), small(0),
                                                  small(0, 4), small(1), small(5, 4), small(0),
                                                  small(7), small(9)}),
         ";L2\r\n\r\n3+4i\r\n0\r\ni\r\n5\r\n7\r\n"},
        // A complex-flagged zero in a real list still shows as 0.
        {DataType::list, list_body(0x0810, 2, 0, {small(0, 4), small(2)}), ";L1\r\n\r\n0\r\n2\r\n"},
        // A complex element cut in its second part is left out whole, not shown as 3.
        {DataType::list, list_body(0x0810, 2, 2, {small(1, 4), small(2), small(3, 4)}),
         ";L1\r\n\r\n1+2i\r\n"},
        // A second part that is never read need not be there.
        {DataType::list, list_body(0x0810, 1, 2, {small(6)}), ";L1\r\n\r\n6\r\n"},
        {DataType::matrix, matrix_body(), ";mat A\r\n\r\n1 2 3 \r\n4 5 6 \r\n"},
        // The last column cut off: the export ends after the last complete element.
        {DataType::matrix, first(matrix_body(), 7 + 4 * 9 + 8), ";mat A\r\n\r\n1 2 \r\n"},
        // Only the header: no row is written.
        {DataType::matrix, first(matrix_body(), 7), ";mat A\r\n\r\n"},
    };
    // clang-format on
    for (const auto& [type, body, text] : cases) {
        EXPECT_EQ(travex::export_data(type, body), text);
    }
}

TEST(DataExport, TextLongerThanTheBlockIsRefusedWhole) {
    // ";L1" CR LF CR LF and 17,064 lines "1" CR LF are 51,199 bytes; each "10" adds one.
    Bytes body = list_body(0x0810, 17064, 0, {});
    for (int i = 0; i < 17064; ++i) {
        body.insert(body.end(), {0x00, 0x00, 0x10, 0, 0, 0, 0, 0, 0});
    }
    body[7 + 1] = 0x10;  // the first element 10: exactly the limit
    EXPECT_EQ(travex::export_data_checked(DataType::list, body).value_or("").size(),
              travex::kMaxConvertedText);
    body[16 + 1] = 0x10;  // and the second: one byte more, refused whole, never cut
    EXPECT_EQ(travex::export_data(DataType::list, body).size(), travex::kMaxConvertedText + 1);
    EXPECT_EQ(travex::export_data_checked(DataType::list, body), std::nullopt);
}

}  // namespace
