// The file dialogs' name buffer: room for any path the system accepts, and the name read back
// safely whatever the dialog left in it.
#include "base/dialog_name_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "files/calc_file.h"

namespace {

using travex::DialogNameBuffer;

TEST(DialogNameBuffer, HoldsTheLongestPathAndReadsBackWhatTheDialogLeft) {
    DialogNameBuffer empty;
    EXPECT_EQ(empty.length(), 32768u);
    EXPECT_EQ(empty.text(), "");

    // A name of 273 characters fits whole, and is then refused by the application's own rule.
    const std::string long_name(273, 'n');
    DialogNameBuffer typed;
    std::memcpy(typed.data(), long_name.c_str(), long_name.size() + 1);
    EXPECT_EQ(typed.text(), long_name);
    EXPECT_TRUE(travex::path_too_long(typed.text()));
    EXPECT_FALSE(travex::path_too_long(std::string(255, 'n')));
    EXPECT_TRUE(travex::path_too_long(std::string(256, 'n')));

    // A proposed name is cut to leave room for the terminator; a buffer filled to the end
    // without one reads back as all of it, never past it.
    DialogNameBuffer proposed(std::string(40000, 'p'));
    EXPECT_EQ(proposed.text(), std::string(DialogNameBuffer::kLength - 1, 'p'));
    std::memset(proposed.data(), 'q', proposed.length());
    EXPECT_EQ(proposed.text(), std::string(DialogNameBuffer::kLength, 'q'));
    EXPECT_EQ(DialogNameBuffer("Group.g6g").text(), "Group.g6g");
}

}  // namespace
