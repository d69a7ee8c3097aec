#include "files/group_choice.h"

#include <gtest/gtest.h>

#include "files/group_file.h"

namespace travex::group {
namespace {

TEST(GroupChoice, ChosenFilesTakeTheShownFolder) {
    EXPECT_EQ(chosen_path("C:\\Data", "Prog.g6p"), "C:\\Data\\Prog.g6p");
    EXPECT_EQ(chosen_path("Z:\\tmp\\", "a.g6l"), "Z:\\tmp\\a.g6l");
    // A typed full path is taken as it stands.
    EXPECT_EQ(chosen_path("C:\\Data", "D:\\x\\b.g6p"), "D:\\x\\b.g6p");
    EXPECT_EQ(chosen_path("C:\\Data", "\\x\\b.g6p"), "\\x\\b.g6p");
    EXPECT_EQ(listed_path("C:\\Data", "Prog.G6P"), "c:\\data\\prog.g6p");
}

TEST(GroupChoice, SelectionOrderDoesNotChangeTheGroupOrder) {
    // Chosen in either order, with the same file twice: one entry each, sorted by path.
    const char* names[][3] = {{"Zed.g6p", "alpha.g6p", "ZED.G6P"},
                              {"alpha.g6p", "ZED.g6p", "zed.g6p"}};
    for (const auto& order : names) {
        Selection selection;
        for (const char* name : order) {
            selection.add(listed_path("C:\\Work", name));
        }
        ASSERT_EQ(selection.entries().size(), 2u);
        EXPECT_EQ(selection.entries()[0].key, "c:\\work\\alpha.g6p");
        EXPECT_EQ(selection.entries()[1].key, "c:\\work\\zed.g6p");
    }
}

}  // namespace
}  // namespace travex::group
