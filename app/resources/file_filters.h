#pragma once
// The filter lists of the open and save dialogs, as the string table holds them.
#include <string>

namespace travex {

// Dialog filter indices (added to the model's base string id).
inline constexpr int kFilterOpen = 0;
inline constexpr int kFilterSaveData = 2;
inline constexpr int kFilterSaveProgram = 3;
inline constexpr int kFilterSaveSlideShow = 4;
inline constexpr int kFilterSaveImage = 5;

// The filter list "description|pattern|...||" of the running model for a filter index, as the
// string table holds it; empty when there is none.
std::string filter_list(int index);

}  // namespace travex
