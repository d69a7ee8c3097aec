#include <gtest/gtest.h>

#include <set>
#include <string>

#include "frame/window_classes.h"
#include "resource_source.h"
#include "resources/resource_ids.h"

namespace travex {
namespace {

TEST(WindowClasses, FrameFirstAndEveryIconIsOneTheResourcesHold) {
    EXPECT_EQ(window_classes().front().name, kFrameClassName);
    std::set<int> icons;
    const auto ids = testing::resource_ids();
    for (const std::string& name : testing::rc_names(R"((\w+) ICON)")) {
        ASSERT_TRUE(ids.count(name)) << name;
        icons.insert(ids.at(name));
    }
    for (const WindowClass& c : window_classes()) {
        EXPECT_TRUE(c.icon == 0 || icons.count(c.icon)) << c.name << " icon " << c.icon;
    }
}

TEST(WindowClasses, NamesFollowTheHouseRuleAndAreUnique) {
    std::set<std::string_view> names;
    for (const WindowClass& c : window_classes()) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        EXPECT_EQ(c.name.substr(0, 2), "PC") << c.name;
        const std::string_view tail = c.name.substr(c.name.size() - 6);
        EXPECT_TRUE(tail == "WClass" || tail == "CClass" || tail == "IClass") << c.name;
    }
}

TEST(WindowClasses, RecordsIconsAndBackgroundsOfTheDocumentWindows) {
    auto find = [](std::string_view name) {
        for (const WindowClass& c : window_classes()) {
            if (c.name == name) {
                return c;
            }
        }
        ADD_FAILURE() << name;
        return window_classes().front();
    };
    const WindowClass frame = find("PCMainWClass");
    EXPECT_TRUE(frame.own_device_context && frame.redraw_on_resize && frame.has_record);
    EXPECT_EQ(frame.icon, IDI_FRAME);
    EXPECT_EQ(frame.background, ClassBrush::white);
    EXPECT_EQ(find("PCEdtWClass").icon, IDI_EDITOR);
    EXPECT_TRUE(find("PCEdtWClass").mdi_child);
    EXPECT_EQ(find("PCScrWClass").icon, IDI_SCREEN);
    EXPECT_EQ(find("PCDenWClass").background, ClassBrush::black);
    EXPECT_FALSE(find("PCDenWClass").has_record);
    EXPECT_EQ(find("PCImgWClass").background, ClassBrush::grey);
    EXPECT_EQ(find("PCSldIClass").procedure, ClassProcedure::system_default);
    EXPECT_FALSE(find("PCSldIClass").mdi_child);
    // Exactly the MDI children carry the document and panel icons.
    for (const WindowClass& c : window_classes()) {
        if (c.name != "PCMainWClass") {
            EXPECT_EQ(c.icon != 0, c.mdi_child) << c.name;
        }
    }
}

}  // namespace
}  // namespace travex
