#pragma once
// What a screen image window computes without drawing: its title numbering, its size, the zoom
// list and where the picture goes at each zoom, the width of a captured screen, and whether
// closing asks to save.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace travex::image {

// The zoom list: entry k means (k + 1) / 4 of the picture size.
inline constexpr std::array<std::string_view, 8> kZoomEntries = {" 25%", " 50%", " 75%", "100%",
                                                                 "125%", "150%", "175%", "200%"};
inline constexpr int kDefaultZoomEntry = 3;  // 100%
inline constexpr std::string_view kZoomCaption = "Print image percentage(%):";
inline constexpr std::string_view kCaptureTitlePrefix = "Screen image";

struct PictureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The picture without its frame at zoom entry k (0..7; others are taken as 100%), centred in
// the area the 200% picture takes with its 20-pixel margins.
PictureRect zoom_placement(int picture_width, int zoom_entry);

struct WindowSize {
    int width = 0;
    int height = 0;
};
// The outer size of the window: the picture at 200% with margins and the zoom list below it.
WindowSize screen_window_size(int picture_width);
// Height of the band under the picture that holds the zoom caption and list.
inline constexpr int kZoomBandHeight = 65;
inline constexpr int kZoomListWidth = 100;
inline constexpr int kZoomListRaise = 35;  // the list's top above the client's bottom edge

// Numbers the captured screens of a run: "Screen image1", "Screen image2", ...
class CaptureTitles {
public:
    std::string next();

private:
    int count_ = 0;
};

// Closing asks to save a capture that was never saved: a title longer than 11 characters that
// begins with "Screen image" (in any case).
bool asks_to_save_on_close(std::string_view title);
// The question: "Save to " + title + " ?".
std::string save_question(std::string_view title);

// The width of a captured screen: 96 columns for the calculators that identify themselves as
// "71" or "74", 132 for every other.
int capture_width(std::span<const std::uint8_t> identifier);

}  // namespace travex::image
