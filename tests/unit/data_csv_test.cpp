// Lists and matrices through CSV: the exact number text, the CSV reader's edges and the file
// built from it, down to the bytes.
#include "files/data_csv.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/csv_text.h"
#include "codec/number_text.h"
#include "files/calc_file.h"

namespace {

using travex::NumberTextError;
using travex::NumberValue;

NumberValue number(const std::string& text) {
    const auto parsed = travex::number_from_text(text);
    EXPECT_EQ(parsed.error, NumberTextError::none) << text;
    return parsed.value;
}

std::string text_of(const std::string& text) {
    return travex::exact_number_text(number(text)).value_or("(none)");
}

TEST(NumberText, ValuesComeBackWithEveryDigit) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {".001", "0.001"}, {"12345678901234", "12345678901234"}, {"-0", "-0"}, {"000.000", "0"},
        {"1.2345678901234E-5", "0.000012345678901234"},
        // Where plain digits would get long, the exponent form.
        {"1e15", "1E+15"}, {"-2.5e-8", "-2.5E-8"}, {"1E-99", "1E-99"},
        {"9.9999999999999E+99", "9.9999999999999E+99"},
        // A spreadsheet's binary noise goes; a carry through every nine moves the exponent.
        {"0.30000000000000004", "0.3"}, {"0.99999999999999999", "1"},
        {"1.00000000000004999", "1"}, {"1.00000000000005", "1.0000000000001"}};
    // clang-format on
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(text_of(text), shown) << text;
    }
    // Rounding up past the largest value leaves the range.
    EXPECT_EQ(travex::number_from_text("9.99999999999999E99").error, NumberTextError::out_of_range);
}

TEST(NumberText, BytesAreTheCalculatorsOwn) {
    // -0.001: exponent -3 stored as 997, sign flag, mantissa 1.
    const NumberValue v = number("-0.001");
    EXPECT_EQ(v, (NumberValue{0x99, 0x71, 0x10, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(number("0"), NumberValue{});
    EXPECT_EQ(number("12.5"), (NumberValue{0x00, 0x10, 0x12, 0x50, 0, 0, 0, 0, 0}));
}

TEST(NumberText, RefusesWhatIsNoCalculatorValue) {
    for (const char* bad : {"", "+", "-", ".", "1.2.3", "1e", "1e+", "e5", "0x10", "1,5", "inf",
                            "nan", "1 2", "--1", "1e5.5", "١"}) {
        EXPECT_EQ(travex::number_from_text(bad).error, NumberTextError::malformed) << bad;
    }
    for (const char* big : {"1e100", "-1e100", "1e-100", "1e99999999999999999999", "0.1e-99"}) {
        EXPECT_EQ(travex::number_from_text(big).error, NumberTextError::out_of_range) << big;
    }
    // Zero stays zero at any exponent.
    EXPECT_EQ(travex::number_from_text("0e999").error, NumberTextError::none);
}

TEST(NumberText, BytesWithoutAnExactTextAreRefused) {
    // A hex digit, an exponent of 100, a leading zero digit, a zero with an exponent, the pair
    // flag.
    EXPECT_FALSE(travex::exact_number_text({0x00, 0x00, 0x1A, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(travex::exact_number_text({0x10, 0x00, 0x10, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(travex::exact_number_text({0x00, 0x00, 0x01, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(travex::exact_number_text({0x00, 0x10, 0x00, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(travex::exact_number_text({0x00, 0x02, 0x10, 0, 0, 0, 0, 0, 0}));
}

TEST(NumberText, ComplexForms) {
    const auto check = [](const char* text, const char* real, const char* imaginary) {
        const auto v = travex::value_from_text(text);
        ASSERT_EQ(v.error, NumberTextError::none) << text;
        ASSERT_TRUE(v.imaginary) << text;
        EXPECT_EQ(travex::exact_number_text(v.first), real) << text;
        EXPECT_EQ(travex::exact_number_text(*v.imaginary), imaginary) << text;
    };
    check("3+4i", "3", "4");
    check("3-4i", "3", "-4");
    check("i", "0", "1");
    check("1e-5-2e+3i", "0.00001", "-2000");
    EXPECT_FALSE(travex::value_from_text("3+4").imaginary);
    for (const char* bad : {"3+4ii", "3++4i", "ii", "3+4j", "3+ 4i"}) {
        EXPECT_NE(travex::value_from_text(bad).error, NumberTextError::none) << bad;
    }
}

TEST(CsvText, FieldsQuotesAndLineEnds) {
    const auto parse = travex::parse_csv(
        "\xEF\xBB\xBF"
        "a, b ,\"c,d\",\"say \"\"hi\"\"\"\r\n\r\n  \n1,\n\"\"",
        10);
    ASSERT_TRUE(parse.ok()) << parse.error;
    ASSERT_EQ(parse.rows.size(), 3u);
    EXPECT_EQ(parse.rows[0].cells, (std::vector<std::string>{"a", "b", "c,d", "say \"hi\""}));
    EXPECT_EQ(parse.rows[1].line, 4u);
    EXPECT_EQ(parse.rows[1].cells, (std::vector<std::string>{"1", ""}));
    EXPECT_EQ(parse.rows[2].cells, (std::vector<std::string>{""}));
}

TEST(CsvText, DamagedLinesAreNamed) {
    struct Case {
        const char* text;
        std::size_t line;
        std::size_t column;
        const char* says;
    };
    for (const Case& c :
         {Case{"1\n\"2\n3\"\n", 2, 1, "line break"}, Case{"1\n2\n\"3", 3, 1, "not closed"},
          Case{"1,\"2\"x\n", 1, 2, "after the closing quote"},
          Case{"1,2\"3\n", 1, 2, "quote inside"}, Case{"\"a\rb\"", 1, 1, "line break"},
          Case{"1,a\rb\n", 1, 2, "carriage return"}}) {
        const auto parse = travex::parse_csv(c.text, 10);
        EXPECT_FALSE(parse.ok()) << c.text;
        EXPECT_EQ(parse.error_line, c.line) << c.text;
        EXPECT_EQ(parse.error_column, c.column) << c.text;
        EXPECT_NE(parse.error.find(c.says), std::string::npos) << parse.error;
    }
}

TEST(CsvText, StopsAtTheRowLimitWithoutReadingOn) {
    std::string many;
    for (int i = 0; i < 1000; ++i) {
        many += "1\n";
    }
    EXPECT_TRUE(travex::parse_csv(many, 1000).ok());
    const auto parse = travex::parse_csv(many, 999);
    EXPECT_FALSE(parse.ok());
    EXPECT_EQ(parse.error_line, 1000u);
    EXPECT_EQ(travex::csv_field("a,b"), "\"a,b\"");
    EXPECT_EQ(travex::csv_field("x\"y"), "\"x\"\"y\"");
}

TEST(DataCsv, ListFileBytesAndRoundTrip) {
    const auto made = travex::data_file_from_csv("L2,Marks\n1\n-2\n3.5\n", 'l', {}, {});
    ASSERT_TRUE(made.error.empty()) << made.error;
    const std::string file(made.file.begin(), made.file.end());
    ASSERT_EQ(file.size(), travex::kHeaderSize + 7 + 3 * 9);
    EXPECT_EQ(file.substr(0, 13), std::string("6l\x11\x08         ", 13));
    EXPECT_EQ(file.substr(13, 6), std::string("Marks\0", 6));
    EXPECT_EQ(file[53], '\0');
    EXPECT_EQ(file.substr(54, 7), std::string("\x11\x08\0\x03\0\0\0", 7));
    EXPECT_EQ(file.substr(61 + 9, 3), std::string("\0\x01\x20", 3));
    const auto csv = travex::data_file_to_csv(made.file);
    EXPECT_EQ(csv.text, "L2,Marks\r\n1\r\n-2\r\n3.5\r\n");
    EXPECT_FALSE(csv.differs_on_import);
}

TEST(DataCsv, RefusalsNameLineAndColumn) {
    struct Case {
        const char* csv;
        char letter;
        const char* says;
    };
    // Lines and columns of lists and of values out of range: the import end to end names them.
    for (const Case& c : {Case{"1,2i\n", 'm', "line 1, column 2: a matrix holds real numbers"},
                          Case{"L9\n1\n", 'l', "\"L9\" is not the name of a list"},
                          Case{"L1,Marks\n", 'l', "no values"}, Case{"", 'm', "no values"}}) {
        const auto made = travex::data_file_from_csv(c.csv, c.letter, {}, {});
        EXPECT_TRUE(made.file.empty()) << c.csv;
        EXPECT_NE(made.error.find(c.says), std::string::npos) << c.csv << " -> " << made.error;
    }
    const auto long_title = travex::data_file_from_csv("1\n", 'l', {}, std::string(41, 'x'));
    EXPECT_NE(long_title.error.find("--title: a title has at most 40"), std::string::npos);
    EXPECT_TRUE(travex::data_file_from_csv("1\n", 'l', {}, std::string(40, 'x')).error.empty());
}

TEST(DataCsv, SizeLimitIsTheLargestDataFile) {
    // 6825 real values fill a body of 61,432 bytes; one more does not fit. Complex values take
    // twice the room.
    std::string reals;
    for (int i = 0; i < 6825; ++i) {
        reals += "1\n";
    }
    EXPECT_TRUE(travex::data_file_from_csv(reals, 'l', {}, {}).error.empty());
    EXPECT_NE(travex::data_file_from_csv(reals + "1\n", 'l', {}, {}).error.find("more than"),
              std::string::npos);
    EXPECT_NE(travex::data_file_from_csv(reals + "i\n", 'l', {}, {}).error.find("at most 3412"),
              std::string::npos);
}

TEST(DataCsv, ExportSaysWhenTheCsvCannotCarryTheFile) {
    auto made = travex::data_file_from_csv("1\n2\n", 'l', {}, {});
    ASSERT_TRUE(made.error.empty());
    // Bytes after the data, then an unused byte that is set: either is lost on import.
    auto trailing = made.file;
    trailing.push_back(0x55);
    EXPECT_TRUE(travex::data_file_to_csv(trailing).differs_on_import);
    auto unused = made.file;
    unused[travex::kHeaderSize + 2] = 1;
    EXPECT_TRUE(travex::data_file_to_csv(unused).differs_on_import);
    // An element with a hex digit is refused, naming it.
    auto hex = made.file;
    hex[travex::kHeaderSize + 7 + 9 + 2] = 0xA0;
    EXPECT_NE(travex::data_file_to_csv(hex).error.find("element 2"), std::string::npos);
    // A cut short element too.
    auto cut = made.file;
    cut.resize(cut.size() - 1);
    EXPECT_NE(travex::data_file_to_csv(cut).error.find("ends inside element 2"), std::string::npos);
}

}  // namespace
