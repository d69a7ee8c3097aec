#include "frame/command_table.h"

#include <algorithm>

#include "resources/string_table.h"

namespace travex {
namespace {

using enum FrameAction;

constexpr CommandRow kCommands[] = {
    {20001, 20001, new_document, true},
    {20002, 20002, open, true},
    {20003, 20003, close, true},
    {20004, 20004, save, true},
    {20005, 20005, save_as, true},
    {20007, 20007, print, true},
    {20008, 20008, print_setup, true},
    {20009, 20009, exit, true},
    {20011, 20011, undo, true},
    {20012, 20012, cut, true},
    {20013, 20013, copy, true},
    {20014, 20014, paste, true},
    {20015, 20015, find, true},
    {20016, 20016, replace, true},
    {20017, 20017, delete_key, true},
    {20018, 20018, select_all, true},
    {20021, 20021, send, true},
    {20022, 20022, receive, true},
    {20023, 20023, screen_capture, true},
    {20028, 20028, auto_setting_step, true},
    {20033, 20041, font_size, true},
    {20042, 20042, group_files, true},
    {20043, 20043, ungroup_files, true},
    {20051, 20051, toggle_toolbar, true},
    {20052, 20052, toggle_keyboard, true},
    {20061, 20061, arrange_icons, true},
    {20062, 20062, cascade, true},
    {20063, 20063, tile_horizontal, true},
    {20064, 20064, tile_vertical, true},
    {20065, 20065, close_all, true},
    {20071, 20079, function_table, true},
    {20081, 20087, function_table, true},
    {20090, 20090, function_table, true},
    {20091, 20091, about, true},
    {40098, 40098, communication_port, false},
    {40099, 40099, repro, false},
    {40100, 40100, opening_tool, false},
};

}  // namespace

std::span<const CommandRow> command_table() {
    return kCommands;
}

std::optional<CommandRow> find_command(std::uint16_t id) {
    const auto* row =
        std::find_if(std::begin(kCommands), std::end(kCommands),
                     [id](const CommandRow& r) { return id >= r.first && id <= r.last; });
    if (row == std::end(kCommands)) {
        return std::nullopt;
    }
    return *row;
}

std::optional<std::uint16_t> command_help_id(std::uint16_t id) {
    const auto row = find_command(id);
    if (!row || !row->has_help) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(id - kHelpIdFromCommand);
}

std::optional<int> font_size_index(std::uint16_t id) {
    const auto row = find_command(id);
    if (!row || row->action != font_size) {
        return std::nullopt;
    }
    return id - kCommandFontSizeBase;
}

std::optional<int> function_group(std::uint16_t id) {
    const auto row = find_command(id);
    if (!row || row->action != function_table) {
        return std::nullopt;
    }
    return id == 20090 ? 23 : id - 20070;
}

}  // namespace travex
