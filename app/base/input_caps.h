#pragma once
// The largest file of each kind that is ever read whole. Each cap is the largest valid file
// of its kind with a margin, and is checked before reading, so that a huge file, a sparse file
// or a device without end (/dev/zero) is refused with one message instead of filling memory.
#include <cstdint>
#include <string>
#include <string_view>

namespace travex {

// More than the whole memory of any model of the family: no item, backup included, is larger.
inline constexpr std::uint64_t kLargestItemBytes = 0x40000;
// A calculator file: the 54-byte header and the largest item.
inline constexpr std::uint64_t kMaxCalculatorFileBytes = 54 + kLargestItemBytes;
// A program text: the longest converted text written wholly in @name@ escapes, with room for
// line breaks.
inline constexpr std::uint64_t kMaxTextFileBytes = 0x100000;
// A bitmap or screen dump that becomes one screen image.
inline constexpr std::uint64_t kMaxPictureFileBytes = 0x100000;
// A group file: many calculator files (members may be groups themselves).
inline constexpr std::uint64_t kMaxGroupFileBytes = 0x4000000;

// The cap of a file by its name: ".g?g" a group, other ".g??" a calculator file, ".txt" a text,
// ".bmp" a bitmap; any other name may be any of them and gets the largest cap.
std::uint64_t input_cap_for(std::string_view path);

// "is larger than any group file can be (67108864 bytes at most)": the problem of a file
// refused by its cap, for a one-line message.
std::string too_large_problem(std::uint64_t cap);

}  // namespace travex
