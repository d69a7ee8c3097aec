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

std::string text_of(const std::string& text) {
    const auto parsed = travex::number_from_text(text);
    EXPECT_EQ(parsed.error, NumberTextError::none) << text;
    return travex::exact_number_text(parsed.value).value_or("(none)");
}

TEST(NumberText, ValuesComeBackWithEveryDigit) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {".001", "0.001"}, {"-0", "-0"}, {"1.2345678901234E-5", "0.000012345678901234"},
        // Where plain digits would get long, the exponent form.
        {"1e15", "1E+15"}, {"-2.5e-8", "-2.5E-8"}, {"9.9999999999999E+99", "9.9999999999999E+99"},
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

TEST(NumberText, RefusesWhatIsNoCalculatorValue) {
    for (const char* bad : {"", "-", ".", "1.2.3", "1e+", "0x10", "1,5", "inf", "1 2", "--1"}) {
        EXPECT_EQ(travex::number_from_text(bad).error, NumberTextError::malformed) << bad;
    }
    for (const char* big : {"1e100", "1e-100", "1e99999999999999999999"}) {
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

TEST(DataCsv, ListFileBytesAndTitlesOfFortyCharacters) {
    const auto made = travex::data_file_from_csv("L2,Marks\n1\n-2\n3.5\n", 'l', {}, {});
    ASSERT_TRUE(made.error.empty()) << made.error;
    const std::string file(made.file.begin(), made.file.end());
    ASSERT_EQ(file.size(), travex::kHeaderSize + 7 + 3 * 9);
    EXPECT_EQ(file.substr(0, 13), std::string("6l\x11\x08         ", 13));
    EXPECT_EQ(file.substr(13, 6), std::string("Marks\0", 6));
    EXPECT_EQ(file[53], '\0');
    EXPECT_EQ(file.substr(54, 7), std::string("\x11\x08\0\x03\0\0\0", 7));
    EXPECT_EQ(file.substr(61 + 9, 3), std::string("\0\x01\x20", 3));
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
    // A cut short element too.
    auto cut = made.file;
    cut.resize(cut.size() - 1);
    EXPECT_NE(travex::data_file_to_csv(cut).error.find("ends inside element 2"), std::string::npos);
}

}  // namespace
