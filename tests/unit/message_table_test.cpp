#include <gtest/gtest.h>

#include "files/file_messages.h"
#include "frame/message_table.h"
#include "link/link_engine.h"
#include "resources/string_table.h"

namespace travex {
namespace {

struct ExpectedMessage {
    int index;
    const char* text;
    MessageIcon icon;
};

constexpr MessageIcon E = MessageIcon::error;
constexpr MessageIcon W = MessageIcon::warning;

// The texts the error report shows, exactly as the user reads them.
const ExpectedMessage kExpected[] = {
    {0, "Insufficient free memory.", E},
    {1, "Selected port is already in use.", W},
    {2, "Selected port does not exist.", W},
    {3, "Port error has occurred.", W},
    {4,
     "No response.\rMake sure that the cable is correctly connected and that the calculator is "
     "turned on.",
     E},
    {5, "Communication has failed.", E},
    {6, "Incorrect file.\rDo you wish to skip?\r\r", W},
    {7, "This is not a transmittable file.\rDo you wish to skip?\r\r", W},
    {8, "This is not in TRAVEX file format.\rDo you wish to skip?\r\r", W},
    {9, "This is not a transmittable file extension.\r", W},
    {10, "Access to the file has failed.", E},
    {11, "Specified file is not a group file.", W},
    {12, "Only one SLIDE SHOW file can be selected.", W},
    {13, "There is no bit-map data to display.", W},
    {14, "Incorrect calculator model.\rMake sure that the model you have selected is connected.",
     W},
    {15, "Specified file cannot be read.", W},
    {16, "There is no corresponding data.", W},
    {17, "Failed in the installation of font.", W},
    {18, "Specified file is not a SLIDE SHOW file.", W},
    {19, "Insufficient free disk space.", E},
    {20, "Calculator memory over.", W},
    {21, "The specified file contains no data.", W},
    {22, "Backup file and Data file can't be sent at the same time.", W},
    {23,
     "When files are sent, corresponding files in the calculator are overwritten,\rexcept for "
     "Program , Solver, and SLIDE SHOW files, which are added.\rDo you still wish to send the "
     "selected files?",
     W},
    {24, "The maximum number of open windows has been reached.", W},
    {25, "Make sure that the cable is correctly connected and the calculator is turned on.", E},
    {27, "Specified file cannot be created.", E},
    {28, "Specified file name is too long.", E},
    {29, "The program is too long to be saved; nothing was written.", E},
};

TEST(MessageTable, EveryShownMessageHasItsExactTextAndIcon) {
    for (const ExpectedMessage& expected : kExpected) {
        const auto content = error_report_content(expected.index);
        ASSERT_TRUE(content) << "message " << expected.index;
        EXPECT_EQ(content->text, expected.text) << "message " << expected.index;
        EXPECT_EQ(content->icon, expected.icon) << "message " << expected.index;
        EXPECT_EQ(string_text(static_cast<std::uint16_t>(400 + expected.index)), expected.text);
    }
    EXPECT_EQ(message_table().size(), 30u);
    for (std::size_t i = 0; i < message_table().size(); ++i) {
        EXPECT_EQ(message_table()[i].index, static_cast<int>(i));
    }
}

TEST(MessageTable, UserAbortHasTextButIsNeverShown) {
    EXPECT_EQ(string_text(426), "User Abort!");
    EXPECT_FALSE(error_report_content(kMessageUserAbort));
}

TEST(MessageTable, IndexesWithoutTextShowNothing) {
    EXPECT_FALSE(error_report_content(30));
    EXPECT_FALSE(error_report_content(-1));
    EXPECT_FALSE(error_report_content(-400));  // would otherwise reach string 0
    EXPECT_FALSE(error_report_content(1 << 20));
}

TEST(MessageTable, NamedIndexesPointAtTheirTexts) {
    EXPECT_EQ(error_report_content(kMessageNoMemory)->text, "Insufficient free memory.");
    EXPECT_EQ(error_report_content(kMessageFontNotInstalled)->text,
              "Failed in the installation of font.");
    EXPECT_EQ(error_report_content(kMessageWindowLimit)->text,
              "The maximum number of open windows has been reached.");
    EXPECT_EQ(kErrorReportTitle, "ZELTA TRAVEX");
}

// The link module names its own messages; their texts must stay those of the string table,
// which the error report shows.
TEST(MessageTable, TextsNamedByOtherModulesAreTheStringTableTexts) {
    for (const int code : {0, 1, 2, 3, 4, 5, 14, 19, 20, 22, 26}) {
        EXPECT_EQ(link::link_message(code), string_text(static_cast<std::uint16_t>(400 + code)))
            << code;
    }
}

}  // namespace
}  // namespace travex
