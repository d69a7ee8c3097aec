// The header fields of a saved program file and the body of an opened one.
#include <gtest/gtest.h>

#include <string>

#include "files/program_file.h"

namespace {

using travex::make_program_file;
using travex::program_body;
using travex::ProgramFileError;

std::string zeros(std::size_t n) {
    return std::string(n, '\0');
}

TEST(FilesProgramFile, HeaderFromFileNameAndTitle) {
    const auto file = make_program_file("C:\\work/progs\\QUADRAT.g6p", "SOLVER", "\x41\x42");
    ASSERT_EQ(file.error, ProgramFileError::none);
    EXPECT_EQ(file.bytes, "6pQUADRAT" + zeros(4) + "SOLVER" + zeros(35) + "\x41\x42\xFD\xFF");
    // Model and type are the last two characters of the name, whatever they are; the name
    // field holds at most 8 characters up to the first '.'.
    // clang-format off
    const std::pair<const char*, std::string> names[] = {
        {"C:\\data\\loooongname.g6p", "6ploooongn" + zeros(3)}, {"a.b.G4P", "4Pa" + zeros(10)},
        {"dir.x/.hidden", "en" + zeros(11)}, {"ab", "abab" + zeros(9)}};
    // clang-format on
    for (const auto& [name, field] : names) {
        EXPECT_EQ(make_program_file(name, "", "").bytes.substr(0, 13), field) << name;
    }
    for (const char* name : {"p", "dir/p", "dir/"}) {
        EXPECT_EQ(make_program_file(name, "", "").error, ProgramFileError::file_name_too_short);
    }
    EXPECT_EQ(make_program_file("x.g6p", std::string(41, 'T'), "").error,
              ProgramFileError::title_too_long);
    EXPECT_EQ(make_program_file("x.g6p", std::string(40, 'T'), "").bytes.substr(13, 42),
              std::string(40, 'T') + zeros(1) + "\xFD");
}

TEST(FilesProgramFile, FinalLineBreakIsTheTrailers) {
    // Text ending with a line break saves as the same bytes as text without it, so a program
    // saved, opened and saved again keeps its bytes; empty lines before it stay.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"\x41\xFD", "\x41\xFD\xFF"}, {"\x41", "\x41\xFD\xFF"}, {"\x41\xFD\xFD", "\x41\xFD\xFD\xFF"},
        {"\xFD", "\xFD\xFF"}};
    // clang-format on
    for (const auto& [tokens, body] : cases) {
        const std::string file = make_program_file("p.g6p", "", tokens).bytes;
        EXPECT_EQ(file.substr(54), body);
        EXPECT_EQ(program_body(file), body);
    }
}

}  // namespace
