#include <gtest/gtest.h>
#include <string>

#include "repro/flash_layout.h"
#include "sim/firmware_image_maker.h"

namespace travex::repro {
namespace {

FlashLayout layout_of(void (*change)(ReproSettings&)) {
    ReproSettings s;
    change(s);
    return flash_layout(s);
}

TEST(FlashLayout, BlankPagesAreLeftOutWhereverTheyLie) {
    const FlashLayout layout = flash_layout(ReproSettings{});
    Bytes image(0x100000, 0xFF);
    image[0x4000 * 3 + 100] = 0x00;               // large page 3
    image[0xF0000 + 0x2000 * 5 + 0x1FFF] = 0xFE;  // last byte of small page 5
    const auto pages = plan_pages(layout, image);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].address, 0xF0C000u);
    EXPECT_EQ(pages[1].address, 0xFFA000u);
    image.assign(image.size(), 0xFF);
    EXPECT_TRUE(plan_pages(layout, image).empty());
}

TEST(FlashLayout, AnAreaThatIsNoMultipleOfItsSizeNeedsTheWholeLastPage) {
    const FlashLayout layout = layout_of([](ReproSettings& s) {
        s.small_page_end_addr = std::string("0xffc001");  // one byte into a seventh page
    });
    EXPECT_FALSE(layout_problem(layout));
    EXPECT_EQ(image_length_needed(layout), 0x100000u);
    const FlashLayout longer = layout_of([](ReproSettings& s) {
        s.small_page_end_addr = std::string("0x1000001");  // nine pages of 0x2000
        s.size = std::string("0x1000");
        s.check_sum_addr = std::string("0x10");
    });
    EXPECT_EQ(image_length_needed(longer), 0x102000u);
}

TEST(FlashLayout, SettingsThatWouldLeaveTheImageOrTheBufferAreRefused) {
    const struct {
        void (*change)(ReproSettings&);
        const char* words;
    } cases[] = {
        {[](ReproSettings& s) { s.large_page_end_addr = std::string("0xe00000"); },
         "below LARGE PAGE START"},
        {[](ReproSettings& s) { s.small_page_send_size = std::string("0"); },
         "SMALL PAGE SEND SIZE is 0"},
        {[](ReproSettings& s) { s.small_page_send_size = std::string("abc"); },
         "SMALL PAGE SEND SIZE is 0"},
        {[](ReproSettings& s) { s.large_page_send_size = std::string("0x4001"); }, "over 16384"},
        // 0x10000 would be 0 in a 16-bit field: refused, not truncated.
        {[](ReproSettings& s) { s.large_page_send_size = std::string("0x10000"); }, "over 16384"},
        {[](ReproSettings& s) { s.large_page_send_size = std::string("0x100004000"); },
         "over 16384"},
        {[](ReproSettings& s) {
             s.small_page_start_addr = std::string("0xffb000");
             s.small_page_send_size = std::string("0x2000");
         },
         "larger than its area"},
        {[](ReproSettings& s) { s.from_start_addr = std::string("0xf00001"); },
         "below FROM START ADDR"},
        {[](ReproSettings& s) { s.small_page_start_addr = std::string("0x100"); },
         "below FROM START ADDR"},
    };
    for (const auto& c : cases) {
        const auto problem = layout_problem(layout_of(c.change));
        ASSERT_TRUE(problem) << c.words;
        EXPECT_NE(problem->find(c.words), std::string::npos) << *problem;
        // Such a layout plans nothing at all.
        EXPECT_TRUE(plan_pages(layout_of(c.change), Bytes(0x200000, 0)).empty()) << c.words;
    }
}

TEST(FlashLayout, AnEmptyAreaIsAllowedAndPlansNoPages) {
    const FlashLayout layout = layout_of([](ReproSettings& s) {
        s.small_page_start_addr = std::string("0xff0000");
        s.small_page_end_addr = std::string("0xff0000");
    });
    EXPECT_FALSE(layout_problem(layout));
    EXPECT_EQ(plan_pages(layout, Bytes(0x100000, 0)).size(), 60u);
}

TEST(FlashLayout, TheProgressStepNeverDividesByNothing) {
    EXPECT_EQ(progress_step(layout_of(
                  [](ReproSettings& s) { s.small_page_end_addr = std::string("0xf00000"); })),
              0);
    EXPECT_EQ(progress_step(
                  layout_of([](ReproSettings& s) { s.small_page_end_addr = std::string("0x0"); })),
              0);
    EXPECT_EQ(progress_step(layout_of(
                  [](ReproSettings& s) { s.small_page_end_addr = std::string("0xf00001"); })),
              10000);
}

}  // namespace
}  // namespace travex::repro
