#include "codec/data_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "base/bytes.h"
#include "codec/text_limits.h"
#include "tests/unit/test_bytes.h"

namespace {

using travex::Bytes;
using travex::DataType;
using travex::testing::bcd_number;
using travex::testing::concat;

const std::string kMinus = "\x9A";

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

// A 15-byte list header of a list database: code at 8, count at 11, kind at 13.
Bytes database_list(int code, int count, int kind) {
    return concat({Bytes(8, 0xEE), u16(code), {0xEE}, u16(count), u16(kind)});
}

// A 2 x 3 matrix holding 1 2 3 / 4 5 6: laid out as a list whose two fields are the columns and
// the rows, with the elements column after column.
Bytes matrix_body() {
    return list_body(0x0910, 3, 2, {small(1), small(4), small(2), small(5), small(3), small(6)});
}

// A window block whose slot s holds the value s.
Bytes window_block(std::size_t slots) {
    Bytes body;
    for (std::size_t s = 0; s < slots; ++s) {
        body = concat({body, bcd_number(s < 10 ? 0 : 1, 0, std::to_string(s))});
    }
    return body;
}

// The list database L_Data1 holding L1 = 1, -2 and the complex L2 = 3+4i.
Bytes database_body() {
    return concat({u16(0x0D30), database_list(0x0810, 2, 0), small(1), small(-2),
                   database_list(0x0811, 1, 2), small(3, 4), small(4)});
}

// A = 3+4i, B = 0+0i, C = 5-2i without the complex flag, D = -i, then 4..9, 0.. as reals.
Bytes variables_body() {
    Bytes body = concat({small(3, 4), small(4), small(0, 4), small(0), small(5), small(-2),
                         small(0, 4), small(-1)});
    for (int v = 4; v < 27; ++v) {
        body = concat({body, small(v % 10), small(0)});
    }
    return body;
}

Bytes first(const Bytes& body, std::size_t n) {
    return Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n));
}

TEST(DataExport, ListsAndMatrices) {
    // clang-format off
    const std::tuple<DataType, Bytes, std::string> cases[] = {
        {DataType::list, list_body(0x0810, 3, 0, {small(1), small(-2), bcd_number(0, 0, "35")}),
         ";L1\r\n\r\n1\r\n" + kMinus + "2\r\n3.5\r\n"},
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
        {DataType::list, list_body(0x1234, 0, 0, {}), ";\r\n\r\n"},
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

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find("\r\n", at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Every type on every truncation of a full body: each line but the last is a line of the full
// export, the last is a prefix of one, and the text ends with CR LF.
TEST(DataExport, EveryTypeCutAtEveryLength) {
    // clang-format off
    const std::pair<DataType, Bytes> full[] = {
        {DataType::list, list_body(0x0810, 3, 2, {small(1, 4), small(2), small(0, 4), small(0),
                                                  small(-3, 4), small(1)})},
        {DataType::list_database, database_body()}, {DataType::matrix, matrix_body()},
        {DataType::table_setup, window_block(2)}, {DataType::window_setup, window_block(32)},
        {DataType::data_variable, variables_body()}, {DataType::zoom, window_block(36)},
    };
    // clang-format on
    for (const auto& [type, body] : full) {
        const auto want = lines_of(travex::export_data(type, body));
        for (std::size_t length = 0; length <= body.size(); ++length) {
            SCOPED_TRACE(std::to_string(static_cast<int>(type)) + " cut at " +
                         std::to_string(length));
            const std::string text = travex::export_data(type, first(body, length));
            ASSERT_TRUE(text.ends_with("\r\n"));
            const auto got = lines_of(text);
            ASSERT_LE(got.size(), want.size());
            // The heading's variable code is cut off below 2 bytes.
            for (std::size_t i = length < 2 ? 1 : 0; i < got.size(); ++i) {
                if (i + 1 < got.size() || length == body.size()) {
                    EXPECT_EQ(got[i], want[i]);
                } else {
                    EXPECT_TRUE(want[i].starts_with(got[i])) << got[i];
                }
            }
        }
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
