// The header fields of a saved program file and the body of an opened one.
#include <gtest/gtest.h>

#include <string>

#include "files/program_file.h"

namespace {

using travex::make_program_file;
using travex::program_body;
using travex::ProgramFileError;

TEST(FilesProgramFile, SavedHeaderTokensAndTrailer) {
    const auto file = make_program_file("C:\\work/progs\\QUADRAT.g6p", "SOLVER", "\x41\x42");
    ASSERT_EQ(file.error, ProgramFileError::none);
    const std::string expected = std::string("6pQUADRAT\0\0\0\0", 13) + "SOLVER" +
                                 std::string(34, '\0') + std::string(1, '\0') + "\x41\x42\xFD\xFF";
    EXPECT_EQ(file.bytes, expected);
    EXPECT_EQ(file.bytes.size(), 54u + 2 + 2);
}

TEST(FilesProgramFile, NameFieldFromTheFileName) {
    // At most 8 characters, up to the first '.', as written; model and type from the last two
    // characters of the file name, whatever they are.
    auto name_field = [](std::string_view path) {
        return make_program_file(path, "", "").bytes.substr(0, 13);
    };
    EXPECT_EQ(name_field("averyverylongname.g6p"), std::string("6paveryver\0\0\0", 13));
    EXPECT_EQ(name_field("a.b.G4P"), std::string("4Pa\0\0\0\0\0\0\0\0\0\0", 13));
    EXPECT_EQ(name_field("dir.x/.hidden"), std::string("en\0\0\0\0\0\0\0\0\0\0\0", 13));
    EXPECT_EQ(name_field("noext"), std::string("xtnoext\0\0\0\0\0\0", 13));
    EXPECT_EQ(name_field("ab"), std::string("abab\0\0\0\0\0\0\0\0\0", 13));
}

TEST(FilesProgramFile, RefusesWhatDoesNotFit) {
    EXPECT_EQ(make_program_file("p", "", "").error, ProgramFileError::file_name_too_short);
    EXPECT_EQ(make_program_file("dir/p", "", "").error, ProgramFileError::file_name_too_short);
    EXPECT_EQ(make_program_file("dir/", "", "").error, ProgramFileError::file_name_too_short);
    EXPECT_EQ(make_program_file("x.g6p", std::string(41, 'T'), "").error,
              ProgramFileError::title_too_long);
    const auto full_title = make_program_file("x.g6p", std::string(40, 'T'), "");
    ASSERT_EQ(full_title.error, ProgramFileError::none);
    EXPECT_EQ(full_title.bytes.substr(13, 41), std::string(40, 'T') + std::string(1, '\0'));
}

TEST(FilesProgramFile, FinalLineBreakIsTheTrailers) {
    // Text that ends with a line break saves as the same bytes as text without it, and a saved
    // program opens and saves again unchanged, however often.
    const auto with_break = make_program_file("p.g6p", "", "\x41\xFD");
    const auto without = make_program_file("p.g6p", "", "\x41");
    EXPECT_EQ(with_break.bytes, without.bytes);
    EXPECT_EQ(with_break.bytes.substr(54), "\x41\xFD\xFF");
    // Empty lines at the end stay: only one break is the trailer's.
    EXPECT_EQ(make_program_file("p.g6p", "", "\x41\xFD\xFD").bytes.substr(54), "\x41\xFD\xFD\xFF");
    EXPECT_EQ(make_program_file("p.g6p", "", "\xFD").bytes.substr(54), "\xFD\xFF");
}

TEST(FilesProgramFile, BodyOfAProgramFile) {
    std::string file = std::string(54, '\0');
    file[0] = '6';
    file[1] = 'p';
    EXPECT_EQ(program_body(file), "");
    file += "\x41\xFD\xFF";
    EXPECT_EQ(program_body(file), "\x41\xFD\xFF");
    file[1] = 'P';
    EXPECT_TRUE(program_body(file).has_value());
    file[1] = 'l';
    EXPECT_FALSE(program_body(file).has_value());
    EXPECT_FALSE(program_body(std::string(53, 'p')).has_value());
    EXPECT_FALSE(program_body("").has_value());
}

}  // namespace
