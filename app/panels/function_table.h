#pragma once
// The contents of the function-table window: for each function group, which string-table
// texts its columns list, and how a listed text becomes calculator bytes.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace travex {

struct FunctionGroup {
    int group;
    std::uint16_t command;  // FuncTable menu command, 0 for groups the keyboard opens
    int columns;
};

// The groups in number order; a group's window title is the string with its number as id.
std::span<const FunctionGroup> function_groups();
std::optional<FunctionGroup> find_function_group(int group);

// Width of the window for a group: one, two or three 152-pixel columns.
int function_window_width(int group);

// One listed line: the string id whose text is shown and, for the first column of the VARS
// group, the group or heading id it stands for.
struct FunctionItem {
    std::uint16_t text_id;
    int value;
};

// Ids that the window never lists for the calculator model in force.
bool is_hidden_function_id(int id);

std::vector<FunctionItem> first_column(int group);
// Column 2 after selecting `position` in column 1 (every group but KEY PAD). For VARS it lists
// the headings of a selected group and is empty when a heading was selected.
std::vector<FunctionItem> second_column(int group, int position);
// Column 3 of VARS: the entries under the heading selected in column 2 of the selected group,
// or directly under a heading selected in column 1 (heading_position is then ignored).
std::vector<FunctionItem> third_column(int vars_position, int heading_position);

// The calculator bytes a listed text stands for: the stored string loaded (at most 29
// characters), then bytes 1-27 replaced through the byte map; a byte that maps to 0 ends it.
std::string function_text(std::uint16_t text_id);
std::string apply_byte_map(std::string_view loaded);

}  // namespace travex
