#include <gtest/gtest.h>

#include "frame/opening_tool.h"

namespace travex {
namespace {

TEST(OpeningTool, ParametersCarryTheFrameTheMessageAndTheSettingsFile) {
    EXPECT_EQ(opening_tool_parameters(0x1A2B, "C:\\Users\\u\\AppData\\TM-RZ4.INI"),
              "\n1a2b,407,42,\n \"C:\\Users\\u\\AppData\\TM-RZ4.INI\"");
    EXPECT_EQ(opening_tool_parameters(0, ".\\TM-RZ4.INI"), "\n0,407,42,\n \".\\TM-RZ4.INI\"");
    // A 64-bit handle is written whole.
    EXPECT_EQ(opening_tool_parameters(0xFFFFFFFF00000010ull, "x"),
              "\nffffffff00000010,407,42,\n \"x\"");
}

TEST(OpeningTool, ParametersStopAt519Characters) {
    const std::string long_path(600, 'p');
    const std::string parameters = opening_tool_parameters(0xABC, long_path);
    EXPECT_EQ(parameters.size(), 519u);
    EXPECT_EQ(parameters.substr(0, 15), "\nabc,407,42,\n \"");
    const std::string fits(519 - 17, 'q');  // 15 before the path, the closing quote after
    EXPECT_EQ(opening_tool_parameters(0xABC, fits).size(), 518u);
}

TEST(OpeningTool, ProgramSitsBesideTheApplicationWithItsExtension) {
    EXPECT_EQ(opening_tool_program("C:\\Program Files\\ZELTA\\TRAVEX.exe"),
              "C:\\Program Files\\ZELTA\\Opening.exe");
    EXPECT_EQ(opening_tool_program("D:TRAVEX.EXE"), "D:Opening.EXE");
    EXPECT_EQ(opening_tool_program("TRAVEX"), "Opening");
    EXPECT_EQ(opening_tool_program("C:\\dir.v2\\TRAVEX"), "C:\\dir.v2\\Opening");
    EXPECT_EQ(opening_tool_program("C:\\a\\b.c.exe"), "C:\\a\\Opening.exe");
}

TEST(OpeningTool, OnlyTheIdentifierOfTheNewestModelIsAHandshake) {
    EXPECT_TRUE(is_opening_tool_handshake(0x3735));
    EXPECT_FALSE(is_opening_tool_handshake(0x3737));
    EXPECT_FALSE(is_opening_tool_handshake(0x3537));  // bytes the other way round
    EXPECT_FALSE(is_opening_tool_handshake(0x13735));
    EXPECT_FALSE(is_opening_tool_handshake(0));
}

}  // namespace
}  // namespace travex
