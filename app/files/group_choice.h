#pragma once
// What the Group File and Ungroup File dialogs make of the names a user picks: the full path of
// a chosen file, names that are patterns rather than files, and the proposed group file name.
#include <string>
#include <string_view>

namespace travex::group {

// A typed name holding '*' or '?' only changes which files the dialog lists.
bool is_file_pattern(std::string_view name);

// The path of a file chosen in a dialog showing folder: the folder, a '\' unless it ends in a
// separator, and the name; a name that is a full path already (a drive or a leading
// separator) stands alone.
std::string chosen_path(std::string_view folder, std::string_view name);

// The lower-cased path the Group File dialog lists and groups by.
std::string listed_path(std::string_view folder, std::string_view name);

// The name the group save dialog proposes: "Group.g" + model digit + "g".
std::string proposed_group_name(char model_digit);

}  // namespace travex::group
