// File > Open: which window a chosen file gets, by kind and, for data files, by size.
#include <gtest/gtest.h>

#include "files/file_kind.h"
#include "files/open_action.h"

namespace travex {
namespace {

TEST(OpenAction, DataFilesNeedMoreThanSixtyTwoBytes) {
    for (const FileKind kind :
         {FileKind::list, FileKind::list_database, FileKind::matrix, FileKind::table_setup,
          FileKind::window_setup, FileKind::data_variable, FileKind::zoom}) {
        EXPECT_EQ(open_action(kind, 62), OpenAction::refuse_no_data) << file_kind_name(kind);
        EXPECT_EQ(open_action(kind, 63), OpenAction::editor) << file_kind_name(kind);
    }
    // A program or text file of any size opens, even an empty one.
    EXPECT_EQ(open_action(FileKind::program, 62), OpenAction::editor);
    EXPECT_EQ(open_action(FileKind::text, 0), OpenAction::editor);
}

TEST(OpenAction, KindsByName) {
    EXPECT_EQ(open_action(file_kind_of("show.g6s"), 2000), OpenAction::slide_show);
    EXPECT_EQ(open_action(file_kind_of("pic.g6i"), 2000), OpenAction::screen_image);
    EXPECT_EQ(open_action(file_kind_of("pic.BMP"), 2000), OpenAction::screen_image);
    EXPECT_EQ(open_action(file_kind_of("group.g6b"), 2000), OpenAction::refuse_unreadable);
    EXPECT_EQ(open_action(file_kind_of("Screen image 1"), 2000), OpenAction::refuse_unreadable);
}

}  // namespace
}  // namespace travex
