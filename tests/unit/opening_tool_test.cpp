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

}  // namespace
}  // namespace travex
