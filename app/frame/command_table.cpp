#include "frame/command_table.h"

#include "resources/resource_ids.h"

#include <algorithm>

#include "resources/string_table.h"

namespace travex {
namespace {

using enum FrameAction;

constexpr CommandRow kCommands[] = {
    {IDM_NEW, IDM_NEW, new_document, true},
    {IDM_OPEN, IDM_OPEN, open, true},
    {IDM_CLOSE, IDM_CLOSE, close, true},
    {IDM_SAVE, IDM_SAVE, save, true},
    {IDM_SAVE_AS, IDM_SAVE_AS, save_as, true},
    {IDM_PRINT, IDM_PRINT, print, true},
    {IDM_PRINT_SETUP, IDM_PRINT_SETUP, print_setup, true},
    {IDM_EXIT, IDM_EXIT, exit, true},
    {IDM_UNDO, IDM_UNDO, undo, true},
    {IDM_CUT, IDM_CUT, cut, true},
    {IDM_COPY, IDM_COPY, copy, true},
    {IDM_PASTE, IDM_PASTE, paste, true},
    {IDM_FIND, IDM_FIND, find, true},
    {IDM_REPLACE, IDM_REPLACE, replace, true},
    {IDM_DELETE, IDM_DELETE, delete_key, true},
    {IDM_SELECT_ALL, IDM_SELECT_ALL, select_all, true},
    {IDM_SEND, IDM_SEND, send, true},
    {IDM_RECEIVE, IDM_RECEIVE, receive, true},
    {IDM_SCREEN_CAPTURE, IDM_SCREEN_CAPTURE, screen_capture, true},
    {IDM_AUTO_SETTING_STEP, IDM_AUTO_SETTING_STEP, auto_setting_step, true},
    {IDM_FONT_SIZE_8, IDM_FONT_SIZE_20, font_size, true},
    {IDM_GROUP_FILES, IDM_GROUP_FILES, group_files, true},
    {IDM_UNGROUP_FILES, IDM_UNGROUP_FILES, ungroup_files, true},
    {IDM_TOOLBAR, IDM_TOOLBAR, toggle_toolbar, true},
    {IDM_KEYBOARD, IDM_KEYBOARD, toggle_keyboard, true},
    {IDM_ARRANGE_ICONS, IDM_ARRANGE_ICONS, arrange_icons, true},
    {IDM_CASCADE, IDM_CASCADE, cascade, true},
    {IDM_TILE_HORIZONTAL, IDM_TILE_HORIZONTAL, tile_horizontal, true},
    {IDM_TILE_VERTICAL, IDM_TILE_VERTICAL, tile_vertical, true},
    {IDM_CLOSE_ALL, IDM_CLOSE_ALL, close_all, true},
    {IDM_FUNC_KEY_PAD, IDM_FUNC_STAT, function_table, true},
    {IDM_FUNC_STAT_GRAPH, IDM_FUNC_ZOOM, function_table, true},
    {IDM_FUNC_CATALOG, IDM_FUNC_CATALOG, function_table, true},
    {IDM_ABOUT, IDM_ABOUT, about, true},
    {IDM_COMMUNICATION_PORT, IDM_COMMUNICATION_PORT, communication_port, false},
    {IDM_REPRO, IDM_REPRO, repro, false},
    {IDM_OPENING_TOOL, IDM_OPENING_TOOL, opening_tool, false},
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
    return id == IDM_FUNC_CATALOG ? 23 : id - IDM_FUNCTION_GROUP_BASE;
}

}  // namespace travex
