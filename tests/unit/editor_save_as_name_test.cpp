// The filters of the file dialogs and the extension a name typed into Save As ends up with.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "files/save_as_name.h"
#include "resources/file_filters.h"

namespace {

using travex::apply_save_extension;
using travex::filter_extensions;
using travex::filter_list;

using Extensions = std::vector<std::string>;

TEST(EditorSaveAsFilters, ListsOfTheRunningModelAndTheirExtensions) {
    EXPECT_EQ(filter_list(travex::kFilterSaveProgram),
              "Program File(*.g6p)|*.g6p|Text File(*.txt)|*.txt||");
    EXPECT_EQ(filter_list(travex::kFilterSaveImage), "Bitmap File(*.bmp)|*.bmp||");
    for (const int none : {1, 7, -1, -181, 1 << 20}) {
        EXPECT_EQ(filter_list(none), "") << none;
    }
    EXPECT_EQ(travex::dialog_filter("A(*.a)|*.a||"), std::string("A(*.a)\0*.a\0\0", 12));

    EXPECT_EQ(filter_extensions(filter_list(travex::kFilterSaveProgram)),
              (Extensions{".g6p", ".txt"}));
    EXPECT_EQ(filter_extensions("Group File(*.g4g;*.g6g)|*.g4g;*.g6g||"),
              (Extensions{".g4g", ".g6g"}));
    const Extensions open = filter_extensions(filter_list(travex::kFilterOpen));
    ASSERT_EQ(open.size(), 34u);
    EXPECT_EQ(open.front(), ".g6*");
    EXPECT_EQ(open.back(), ".bmp");
    // Descriptions never count, even when they look like patterns; broken lists end quietly.
    EXPECT_EQ(filter_extensions("*.abc|*.g6p"), (Extensions{".g6p"}));
    EXPECT_EQ(filter_extensions("A|*.a||B|*.b||"), (Extensions{".a"}));
    EXPECT_EQ(filter_extensions("A|none;*.b;|"), (Extensions{".b"}));
    EXPECT_EQ(filter_extensions(""), Extensions{});
}

TEST(EditorSaveAsName, KnownExtensionsStayOthersGiveWayToTheChosenFilters) {
    const std::string program = filter_list(travex::kFilterSaveProgram);
    // clang-format off
    const std::tuple<const char*, int, const char*> cases[] = {
        {"prog", 1, "prog.g6p"},
        {"prog.G6P", 1, "prog.g6p"},             // compared case-sensitively
        {"prog.txt", 1, "prog.txt"},             // any extension of the list stays
        {"prog.g6p", 2, "prog.g6p"},
        {"prog", 2, "prog.txt"},
        {"prog.g4p", 2, "prog.txt"},
        {"prog.", 1, "prog.g6p"},
        {"prog.old.txt", 1, "prog.old.txt"},
        {"prog.txt.bak", 1, "prog.txt.g6p"},     // only the last extension counts
        {"prog.g6pq", 1, "prog.g6pq"},           // only its first four characters
        {"C:\\data.v1\\prog", 1, "C:\\data.v1\\prog.g6p"},
        {"/home/u.x/prog.G6P", 1, "/home/u.x/prog.g6p"},
        {"C:prog.x", 1, "C:prog.g6p"},
        {"dir\\.txt", 1, "dir\\.txt"},
        {"prog", 0, "prog.g6p"},                 // no filter chosen: the first one
        {"prog", 3, "prog.g6p"},
        {"prog", -5, "prog.g6p"},
    };
    // clang-format on
    for (const auto& [typed, chosen, saved] : cases) {
        EXPECT_EQ(apply_save_extension(typed, program, chosen), saved) << typed << " " << chosen;
    }
    EXPECT_EQ(apply_save_extension("shot", filter_list(travex::kFilterSaveImage), 1), "shot.bmp");
    EXPECT_EQ(apply_save_extension("prog.x", "", 1), "prog.x");
}

}  // namespace
