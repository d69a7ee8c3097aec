#pragma once
// The Win32 shell of the slide show window: an MDI child with the title field, the page area,
// its scroll bar and one page window per page.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "image/screen_data.h"

namespace travex::win32 {

// Child id of the title field.
inline constexpr int kSlideTitleBoxId = 91;
inline constexpr int kSlidePageAreaId = 92;
inline constexpr int kSlideScrollBarId = 93;

// Reads a slide show file and opens its window, titled with the path; a file that cannot be
// read or is damaged is reported and opens nothing.
HWND OpenSlideShow(HWND frame, const std::string& path);

// Saves a copy of the shown file under path with the edited title; false, after reporting the
// message, when nothing was written. On success the window shows the new path.
bool SaveSlideShowAs(HWND window, const std::string& path);

bool is_slide_show(HWND window);
// The title field of a slide show window (the target of Cut, Copy and Paste).
HWND slide_show_title_box(HWND window);

// What printing a slide show needs: the shown path, the title as edited (calculator text) and
// every page's screen, in page order.
struct SlideShowContents {
    std::string path;
    std::string title;
    std::vector<image::ScreenData> pages;
};
std::optional<SlideShowContents> slide_show_contents(HWND window);

LRESULT CALLBACK slide_show_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
LRESULT CALLBACK slide_page_procedure(HWND window, UINT message, WPARAM w, LPARAM l);

}  // namespace travex::win32
