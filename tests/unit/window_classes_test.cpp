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

TEST(WindowClasses, ExactlyTheDocumentAndPanelWindowsCarryIcons) {
    // Exactly the MDI children carry the document and panel icons.
    for (const WindowClass& c : window_classes()) {
        if (c.name != "PCMainWClass") {
            EXPECT_EQ(c.icon != 0, c.mdi_child) << c.name;
        }
    }
}

}  // namespace
}  // namespace travex
