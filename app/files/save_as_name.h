#pragma once
// The file filters of the open and save dialogs and the extension rule of Save As.
#include <string>
#include <string_view>
#include <vector>

namespace travex {

// The filter list with every '|' as a zero byte, ready for the common dialogs.
std::string dialog_filter(std::string_view filter_list);

// The extension of every pattern in a filter list ("*.g6p;*.g4p" gives ".g6p" and ".g4p").
std::vector<std::string> filter_extensions(std::string_view filter_list);

// The Save As extension rule: a typed name whose extension (first four characters, '.' included,
// compared case-sensitively) is one of the list's extensions is kept; otherwise its extension,
// if any, is dropped and the extension of the chosen filter (1-based, as the dialog counts)
// appended: "prog" and "prog.G6P" with the program filter become "prog.g6p", "prog.txt" stays.
std::string apply_save_extension(std::string_view typed_path, std::string_view filter_list,
                                 int chosen_filter);

}  // namespace travex
