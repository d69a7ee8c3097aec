#include "codec/data_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "codec/text_limits.h"

namespace {

using travex::Bytes;
using travex::DataType;

const std::string kMinus = "\x9A";

// A 9-byte number: exponent, flag nibble, mantissa digits.
Bytes num(int exponent, int flags, const std::string& digits) {
    const int code = exponent < 0 ? exponent + 1000 : exponent;
    Bytes n(9, 0);
    n[0] = static_cast<std::uint8_t>(((code / 100) << 4) | ((code / 10) % 10));
    n[1] = static_cast<std::uint8_t>(((code % 10) << 4) | flags);
    for (std::size_t i = 0; i < digits.size() && i < 14; ++i) {
        const int d = digits[i] - '0';
        n[2 + i / 2] |= static_cast<std::uint8_t>(i % 2 == 0 ? d << 4 : d);
    }
    return n;
}

// Small integers 0..9 and their negatives, as the calculator stores them.
Bytes small(int value, int extra_flags = 0) {
    const int magnitude = value < 0 ? -value : value;
    return num(0, (value < 0 ? 1 : 0) | extra_flags, std::to_string(magnitude));
}

void append(Bytes& body, const Bytes& more) {
    body.insert(body.end(), more.begin(), more.end());
}

void append_u16(Bytes& body, int value) {
    body.push_back(static_cast<std::uint8_t>(value));
    body.push_back(static_cast<std::uint8_t>(value >> 8));
}

// A list body: variable code, unused byte, count, kind, then the numbers given.
Bytes list_body(int code, int count, int kind, const std::vector<Bytes>& values) {
    Bytes body;
    append_u16(body, code);
    body.push_back(0);
    append_u16(body, count);
    append_u16(body, kind);
    for (const auto& v : values) {
        append(body, v);
    }
    return body;
}

// A 15-byte list header of a list database.
Bytes database_list_header(int code, int count, int kind) {
    Bytes header(8, 0xEE);
    append_u16(header, code);
    header.push_back(0xEE);
    append_u16(header, count);
    append_u16(header, kind);
    return header;
}

std::string exported(DataType type, const Bytes& body) {
    return travex::export_data(type, body);
}

TEST(DataExportList, RealElements) {
    const Bytes body = list_body(0x0810, 3, 0, {small(1), small(-2), num(0, 0, "35")});
    EXPECT_EQ(travex::export_list(body), ";L1\r\n\r\n1\r\n" + kMinus + "2\r\n3.5\r\n");
}

TEST(DataExportList, ComplexElements) {
    const Bytes body = list_body(0x0811, 5, 2,
                                 {small(3, 4), small(4),  // 3+4i
                                  small(0, 4), small(0),  // 0+0i
                                  small(0, 4), small(1),  // i
                                  small(5, 4), small(0),  // 5
                                  small(7), small(9)});   // no complex flag: 7 alone
    EXPECT_EQ(travex::export_list(body), ";L2\r\n\r\n3+4i\r\n0\r\ni\r\n5\r\n7\r\n");
}

TEST(DataExportList, LoneZeroFirstPartStillShowsAsZero) {
    // A complex-flagged zero in a real list would vanish from the text; it reads 0.
    const Bytes body = list_body(0x0810, 2, 0, {small(0, 4), small(2)});
    EXPECT_EQ(travex::export_list(body), ";L1\r\n\r\n0\r\n2\r\n");
}

TEST(DataExportList, TruncatedBodies) {
    // The count promises more elements than the body holds: the export ends with the body.
    EXPECT_EQ(travex::export_list(list_body(0x0810, 5, 0, {small(1), small(2)})),
              ";L1\r\n\r\n1\r\n2\r\n");
    // Eight bytes of the third element are not enough.
    Bytes body = list_body(0x0810, 3, 0, {small(1), small(2), small(3)});
    body.pop_back();
    EXPECT_EQ(travex::export_list(body), ";L1\r\n\r\n1\r\n2\r\n");
    // A complex element whose second part is cut off is left out whole, not shown as 3.
    body = list_body(0x0810, 2, 2, {small(1, 4), small(2), small(3, 4)});
    EXPECT_EQ(travex::export_list(body), ";L1\r\n\r\n1+2i\r\n");
    // A second part that is never read does not need to be present.
    body = list_body(0x0810, 1, 2, {small(6)});
    EXPECT_EQ(travex::export_list(body), ";L1\r\n\r\n6\r\n");
    // Headers cut short: the name alone, or nothing at all.
    EXPECT_EQ(travex::export_list(Bytes{0x10, 0x08, 0, 3}), ";L1\r\n\r\n");
    EXPECT_EQ(travex::export_list(Bytes{0x10}), ";\r\n\r\n");
    EXPECT_EQ(travex::export_list(Bytes{}), ";\r\n\r\n");
    // A code that names nothing.
    EXPECT_EQ(travex::export_list(list_body(0x1234, 0, 0, {})), ";\r\n\r\n");
}

TEST(DataExportMatrix, RowsFromColumnOrder) {
    // 2 rows x 3 columns holding 1 2 3 / 4 5 6, stored column after column.
    Bytes body;
    append_u16(body, 0x0910);
    body.push_back(0);
    append_u16(body, 3);  // columns
    append_u16(body, 2);  // rows
    for (int v : {1, 4, 2, 5, 3, 6}) {
        append(body, small(v));
    }
    EXPECT_EQ(travex::export_matrix(body), ";mat A\r\n\r\n1 2 3 \r\n4 5 6 \r\n");
    // The last column cut off: each row ends after its last complete element, and the export
    // ends at the first missing value.
    Bytes cut(body.begin(), body.end() - 10);
    EXPECT_EQ(travex::export_matrix(cut), ";mat A\r\n\r\n1 2 \r\n");
    Bytes header_only(body.begin(), body.begin() + 7);
    EXPECT_EQ(travex::export_matrix(header_only), ";mat A\r\n\r\n");
    // Zero columns: empty rows, nothing read.
    Bytes empty_rows = header_only;
    empty_rows[3] = 0;
    EXPECT_EQ(travex::export_matrix(empty_rows), ";mat A\r\n\r\n\r\n\r\n");
}

TEST(DataExportListDatabase, ListsWithHeadings) {
    Bytes body;
    append_u16(body, 0x0D30);
    append(body, database_list_header(0x0810, 2, 0));
    append(body, small(1));
    append(body, small(-2));
    append(body, database_list_header(0x0811, 1, 2));
    append(body, small(3, 4));
    append(body, small(4));
    body.insert(body.end(), 9, 0);  // fewer than 10 bytes left: not another list
    EXPECT_EQ(travex::export_list_database(body),
              ";L_Data1\r\n\r\n;L1\r\n\r\n1\r\n" + kMinus + "2\r\n\r\n;L2\r\n\r\n3+4i\r\n\r\n");
}

TEST(DataExportListDatabase, AtMostSixLists) {
    Bytes body;
    append_u16(body, 0x0D31);
    for (int i = 0; i < 7; ++i) {
        append(body, database_list_header(0x0810 + i, 1, 0));
        append(body, small(i));
    }
    std::string want = ";L_Data2\r\n\r\n";
    for (int i = 0; i < 6; ++i) {
        want += ";L" + std::to_string(i + 1) + "\r\n\r\n" + std::to_string(i) + "\r\n\r\n";
    }
    EXPECT_EQ(travex::export_list_database(body), want);
}

TEST(DataExportListDatabase, TruncatedBodies) {
    Bytes body;
    append_u16(body, 0x0D30);
    append(body, database_list_header(0x0810, 3, 0));
    append(body, small(1));
    append(body, small(2));
    // The third element is missing: the export ends there, with no closing empty line.
    EXPECT_EQ(travex::export_list_database(body), ";L_Data1\r\n\r\n;L1\r\n\r\n1\r\n2\r\n");
    // Exactly 10 bytes of a list header: its name is shown, its count is beyond the body.
    Bytes ten(body.begin(), body.begin() + 12);
    EXPECT_EQ(travex::export_list_database(ten), ";L_Data1\r\n\r\n;L1\r\n\r\n\r\n");
    Bytes nine(body.begin(), body.begin() + 11);
    EXPECT_EQ(travex::export_list_database(nine), ";L_Data1\r\n\r\n");
}

TEST(DataExportSetups, TableSetup) {
    Bytes body = small(1);
    append(body, num(-1, 0, "5"));
    EXPECT_EQ(travex::export_table_setup(body),
              ";TABLE SETUP\r\n\r\nTblStart   1\r\nDeltaTbl   .5\r\n");
    body.pop_back();
    EXPECT_EQ(travex::export_table_setup(body), ";TABLE SETUP\r\n\r\nTblStart   1\r\n");
    EXPECT_EQ(travex::export_table_setup(Bytes{}), ";TABLE SETUP\r\n\r\n");
}

// A window block whose slot s holds the value s (as a small integer or in scientific form).
Bytes window_block(std::size_t slots) {
    Bytes body;
    for (std::size_t s = 0; s < slots; ++s) {
        append(body, num(s < 10 ? 0 : 1, 0, std::to_string(s)));
    }
    return body;
}

TEST(DataExportSetups, WindowSetup) {
    const std::string want =
        ";WINDOW SETUP\r\n\r\n"
        "Xmin   0\r\nXmax   1\r\nXscl   2\r\nYmin   3\r\nYmax   4\r\nYscl   5\r\n\r\n"
        "Thetamin   22\r\nThetamax   23\r\nThetastep  24\r\n\r\n"
        "Tmin   16\r\nTmax   17\r\nTstep  18\r\n\r\n"
        "nMin   28\r\nnMax   29\r\nPlotStart  30\r\nPlotStep   31\r\n";
    EXPECT_EQ(travex::export_window_setup(window_block(32)), want);
    EXPECT_EQ(travex::export_window_setup(window_block(40)), want);
    // Shorter than 288 bytes: the export ends at the first line whose slot is beyond it.
    Bytes body = window_block(32);
    body.pop_back();
    EXPECT_EQ(travex::export_window_setup(body), want.substr(0, want.find("PlotStep")));
    EXPECT_EQ(travex::export_window_setup(window_block(22)), want.substr(0, want.find("Thetamin")));
    EXPECT_EQ(travex::export_window_setup(window_block(3)), want.substr(0, want.find("Ymin")));
}

TEST(DataExportSetups, Zoom) {
    const std::string want =
        ";ZOOM\r\n\r\n"
        "ZXmin   10\r\nZXmax   11\r\nZXscl   12\r\nZYmin   13\r\nZYmax   14\r\nZYscl   15\r\n\r\n"
        "ZThetamin   25\r\nZThetamax   26\r\nZThetastep  27\r\n\r\n"
        "ZTmin   19\r\nZTmax   20\r\nZTstep  21\r\n\r\n"
        "ZnMin   32\r\nZnMax   33\r\nZPlotStart  34\r\nZPlotStep   35\r\n";
    EXPECT_EQ(travex::export_zoom(window_block(36)), want);
    EXPECT_EQ(travex::export_zoom(window_block(32)), want.substr(0, want.find("ZnMin")));
    EXPECT_EQ(travex::export_zoom(window_block(10)), ";ZOOM\r\n\r\n");
}

TEST(DataExportSetups, DataVariable) {
    Bytes body;
    append(body, small(3, 4));  // A = 3+4i
    append(body, small(4));
    append(body, small(0, 4));  // B = 0
    append(body, small(0));
    append(body, small(5));  // C = 5 with a plain first part: the second is still complex
    append(body, small(-2));
    append(body, small(0, 4));  // D = -i
    append(body, small(-1));
    for (int v = 4; v < 27; ++v) {
        append(body, small(v % 10));
        append(body, small(0));
    }
    const std::string text = travex::export_data_variable(body);
    const std::string head =
        ";VARIABLE\r\n\r\nA   3+4i\r\nB   0\r\nC   5-2i\r\nD   " + kMinus + "i\r\nE   4\r\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find("\r\nZ   5\r\nTheta   6\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 11), "Theta   6\r\n");
    // C's second part is cut off: C is left out and the export ends.
    Bytes cut(body.begin(), body.begin() + 2 * 18 + 10);
    EXPECT_EQ(travex::export_data_variable(cut), ";VARIABLE\r\n\r\nA   3+4i\r\nB   0\r\n");
}

// Every type on every truncation of a full body: each line but the last is a line of the full
// export, the last is a prefix of one, and the text ends with CR LF.
TEST(DataExportTruncation, EveryTypeEveryLength) {
    Bytes list = list_body(0x0810, 3, 2,
                           {small(1, 4), small(2), small(0, 4), small(0), small(-3, 4), small(1)});
    Bytes database;
    append_u16(database, 0x0D30);
    for (int i = 0; i < 3; ++i) {
        append(database, database_list_header(0x0810 + i, 2, i == 1 ? 2 : 0));
        for (int e = 0; e < (i == 1 ? 4 : 2); ++e) {
            append(database, small(e + 1, i == 1 && e % 2 == 0 ? 4 : 0));
        }
    }
    Bytes matrix;
    append_u16(matrix, 0x0911);
    matrix.push_back(0);
    append_u16(matrix, 3);
    append_u16(matrix, 2);
    for (int v = 0; v < 6; ++v) {
        append(matrix, small(v));
    }
    Bytes variables;
    for (int v = 0; v < 54; ++v) {
        append(variables, small(v % 7, v % 2 == 0 ? 4 : 0));
    }
    const std::vector<std::pair<DataType, Bytes>> full = {
        {DataType::list, list},
        {DataType::list_database, database},
        {DataType::matrix, matrix},
        {DataType::table_setup, window_block(2)},
        {DataType::window_setup, window_block(32)},
        {DataType::data_variable, variables},
        {DataType::zoom, window_block(36)},
    };
    auto lines_of = [](const std::string& text) {
        std::vector<std::string> lines;
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = text.find("\r\n", at);
            if (end == std::string::npos) {
                lines.push_back(text.substr(at));
                break;
            }
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    };
    for (const auto& [type, body] : full) {
        const auto want = lines_of(exported(type, body));
        for (std::size_t length = 0; length <= body.size(); ++length) {
            SCOPED_TRACE("type " + std::to_string(static_cast<int>(type)) + " length " +
                         std::to_string(length));
            const Bytes cut(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(length));
            const std::string text = exported(type, cut);
            ASSERT_GE(text.size(), 2u);
            EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
            const auto got = lines_of(text);
            ASSERT_LE(got.size(), want.size());
            for (std::size_t i = 0; i < got.size(); ++i) {
                if (i == 0 && length < 2) {
                    continue;  // the variable code of the heading is cut off
                }
                if (i + 1 < got.size() || length == body.size()) {
                    EXPECT_EQ(got[i], want[i]);
                } else {
                    EXPECT_EQ(want[i].substr(0, got[i].size()), got[i]);
                }
            }
        }
    }
}

TEST(DataExportLimit, TextLongerThanTheBlockIsRefusedWhole) {
    // ";L1" CR LF CR LF is 7 bytes; "1" lines are 3 bytes, "10" lines 4.
    auto build = [](int ones, int tens) {
        std::vector<Bytes> values(static_cast<std::size_t>(ones), small(1));
        for (int i = 0; i < tens; ++i) {
            values.push_back(num(1, 0, "1"));
        }
        return list_body(0x0810, ones + tens, 0, values);
    };
    const Bytes at_limit = build(17063, 1);
    const auto text = travex::export_data_checked(DataType::list, at_limit);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->size(), travex::kMaxConvertedText);
    const Bytes over = build(17062, 2);
    EXPECT_EQ(travex::export_data(DataType::list, over).size(), travex::kMaxConvertedText + 1);
    EXPECT_EQ(travex::export_data_checked(DataType::list, over), std::nullopt);
}

}  // namespace
