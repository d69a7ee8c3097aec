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

TEST(EditorSaveAsName, KnownExtensionsStayOthersGiveWayToTheChosenFilters) {
    const std::string program = filter_list(travex::kFilterSaveProgram);
    // clang-format off
    const std::tuple<const char*, int, const char*> cases[] = {
        {"prog", 1, "prog.g6p"},
        {"prog.G6P", 1, "prog.g6p"},             // compared case-sensitively
        {"prog.txt", 1, "prog.txt"},             // any extension of the list stays
        {"prog", 2, "prog.txt"},
        {"prog.", 1, "prog.g6p"},
        {"prog.txt.bak", 1, "prog.txt.g6p"},     // only the last extension counts
        {"prog.g6pq", 1, "prog.g6pq"},           // only its first four characters
        {"C:\\data.v1\\prog", 1, "C:\\data.v1\\prog.g6p"},
        {"C:prog.x", 1, "C:prog.g6p"},
        {"dir\\.txt", 1, "dir\\.txt"},
        {"prog", 0, "prog.g6p"},                 // no filter chosen: the first one
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
