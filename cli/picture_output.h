#pragma once
// Writing a screen picture the way the image and capture commands both do: a bitmap exactly as
// the screen image window saves it, or a PNG of the same pixels, chosen by the output's name.
#include <string>
#include <string_view>

#include "image/screen_bitmap.h"

namespace travex::cli {

// True when text ends with tail, ignoring the case of ASCII letters (tail is lower case).
bool ends_with_ignoring_case(std::string_view text, std::string_view tail);

// Writes picture to out: a PNG when out ends in ".png", else a bitmap. Returns kExitOk, or
// reports the failure naming out and returns kExitFailure.
int write_picture(const std::string& out, const image::ScreenImage& picture);

}  // namespace travex::cli
