#include <gtest/gtest.h>

#include <string_view>

#include "frame/about_fit.h"

namespace travex {
namespace {

std::size_t index_of(std::string_view fixed_text) {
    const auto texts = about_texts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].fixed_text == fixed_text) {
            return i;
        }
    }
    ADD_FAILURE() << fixed_text << " is not written on the picture";
    return 0;
}

std::size_t index_of(AboutTextSource source) {
    const auto texts = about_texts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].source == source) {
            return i;
        }
    }
    ADD_FAILURE() << "a source is not written on the picture";
    return 0;
}

// A face that draws every character `per_height` of the cell height wide.
auto face(std::string_view text, double per_height) {
    return [text, per_height](int height) {
        return static_cast<int>(height * per_height * static_cast<double>(text.size()));
    };
}

TEST(AboutFit, EachTextReachesOnlyToTheNextOnItsLine) {
    const auto texts = about_texts();
    // "Software" shares its line with "RQ-7310" and stops short of it.
    EXPECT_EQ(about_text_room(texts, index_of("Software")), 300 - kAboutTextGap - 160);
    // "TRAVEX" sits above "RQ-7310": their cells touch by a few pixels, which is no shared line.
    EXPECT_EQ(about_text_room(texts, index_of("TRAVEX")), kAboutWidth - 160);
    EXPECT_EQ(about_text_room(texts, index_of("RQ-7310")), kAboutWidth - 300);
    EXPECT_EQ(about_text_room(texts, index_of(AboutTextSource::version)), kAboutWidth - 340);
    EXPECT_EQ(about_text_room(texts, index_of(AboutTextSource::legal_notice)), kAboutWidth - 120);
}

TEST(AboutFit, AWiderFaceIsMadeSmallerUntilItFits) {
    // DejaVu Sans standing in for Arial ran "Software" into "RQ-7310".
    const int room = about_text_room(about_texts(), index_of("Software"));
    const auto wide = face("Software", 0.62);
    const int height = fitted_cell_height(38, room, wide);
    EXPECT_LT(height, 38);
    EXPECT_LE(wide(height), room);
    EXPECT_GT(wide(height + 1), room) << "smaller than it needs to be";
}

TEST(AboutFit, NeverSmallerThanTheSmallestCell) {
    EXPECT_EQ(fitted_cell_height(38, 10, face("Software", 0.62)), kAboutSmallestCell);
    EXPECT_EQ(fitted_cell_height(38, -5, face("Software", 0.62)), kAboutSmallestCell);
    // A cell already at the smallest is kept even when the text does not fit.
    EXPECT_EQ(fitted_cell_height(kAboutSmallestCell, 1, face("TRAVEX", 1.0)), kAboutSmallestCell);
    // A proportional guess that falls short (hinting makes 38 wide for its size) is stepped
    // up to the largest height that fits.
    const auto uneven = [](int height) { return height == 38 ? 400 : height * 5; };
    EXPECT_EQ(fitted_cell_height(38, 100, uneven), 20);
}

}  // namespace
}  // namespace travex
