#include <gtest/gtest.h>

#include <set>
#include <string>

#include "frame/window_classes.h"
#include "resource_source.h"
#include "resources/resource_ids.h"

namespace travex {
namespace {

// The frame registers first; names are unique; exactly the MDI children carry an icon, and
// each icon is one the resources hold.
TEST(WindowClasses, UniqueNamesAndEveryIconIsOneTheResourcesHold) {
    EXPECT_EQ(window_classes().front().name, kFrameClassName);
    std::set<int> icons;
    const auto ids = testing::resource_ids();
    for (const std::string& name : testing::rc_names(R"((\w+) ICON)")) {
        ASSERT_TRUE(ids.count(name)) << name;
        icons.insert(ids.at(name));
    }
    std::set<std::string_view> names;
    for (const WindowClass& c : window_classes()) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        EXPECT_TRUE(c.icon == 0 || icons.count(c.icon)) << c.name << " icon " << c.icon;
        if (c.name != kFrameClassName) {
            EXPECT_EQ(c.icon != 0, c.mdi_child) << c.name;
        }
    }
}

}  // namespace
}  // namespace travex
