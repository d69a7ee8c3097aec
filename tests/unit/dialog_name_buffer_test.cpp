// The file dialogs' name buffer: room for any path the system accepts, the name read back safely
// whatever the dialog left in it, and the length of the path a typed name makes.
#include "base/dialog_name_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using travex::chosen_path_length;
using travex::DialogNameBuffer;

TEST(DialogNameBuffer, HoldsTheLongestPathAndReadsBackWhatTheDialogLeft) {
    DialogNameBuffer empty;
    EXPECT_EQ(empty.length(), 32768u);
    // A proposed name is cut to leave room for the terminator; a buffer filled to the end
    // without one reads back as all of it, never past it.
    DialogNameBuffer proposed(std::string(40000, 'p'));
    EXPECT_EQ(proposed.text(), std::string(DialogNameBuffer::kLength - 1, 'p'));
    std::memset(proposed.data(), 'q', proposed.length());
    EXPECT_EQ(proposed.text(), std::string(DialogNameBuffer::kLength, 'q'));
    EXPECT_EQ(DialogNameBuffer("Group.g6g").text(), "Group.g6g");
}

TEST(DialogNameBuffer, PathLengthOfATypedNameInTheDialogsFolder) {
    // Joined with one backslash; a drive path stands alone, a name from the root takes the
    // folder's drive.
    EXPECT_EQ(chosen_path_length("Z:\\files", "prog"), 13u);
    EXPECT_EQ(chosen_path_length("Z:\\files", "C:\\a\\prog"), 9u);
    EXPECT_EQ(chosen_path_length("Z:\\files", "\\a\\prog"), 9u);
    // The edge of the rule: 255 characters pass, 256 are refused.
    const std::string folder = "Z:\\" + std::string(100, 'f');
    EXPECT_EQ(chosen_path_length(folder, std::string(255 - folder.size() - 1, 'n')), 255u);
    EXPECT_EQ(chosen_path_length(folder, std::string(256 - folder.size() - 1, 'n')), 256u);
}

}  // namespace
