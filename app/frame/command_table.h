#pragma once
// The frame's menu and accelerator commands: what each id does and which help text the status
// bar shows while its menu item is highlighted.
#include <cstdint>
#include <optional>
#include <span>

#include "resources/resource_ids.h"

namespace travex {

enum class FrameAction {
    new_document,
    open,
    close,
    save,
    save_as,
    print,
    print_setup,
    exit,
    undo,
    cut,
    copy,
    paste,
    find,
    replace,
    delete_key,
    select_all,
    send,
    receive,
    screen_capture,
    auto_setting_step,
    font_size,
    group_files,
    ungroup_files,
    toggle_toolbar,
    toggle_keyboard,
    arrange_icons,
    cascade,
    tile_horizontal,
    tile_vertical,
    close_all,
    function_table,
    about,
    communication_port,
    repro,
    opening_tool,
};

// One row covers the command ids first..last (most rows hold one id).
struct CommandRow {
    std::uint16_t first;
    std::uint16_t last;
    FrameAction action;
    bool has_help;  // help text = string (command id - 19801)
};

// Command ids that other code sends.
inline constexpr std::uint16_t kCommandNew = IDM_NEW;
inline constexpr std::uint16_t kCommandSave = IDM_SAVE;
inline constexpr std::uint16_t kCommandExit = IDM_EXIT;
inline constexpr std::uint16_t kCommandFontSizeBase = IDM_FONT_SIZE_BASE;  // + index 1-9
inline constexpr std::uint16_t kCommandToolBar = IDM_TOOLBAR;
inline constexpr std::uint16_t kCommandKeyBoard = IDM_KEYBOARD;
inline constexpr std::uint16_t kCommandAbout = IDM_ABOUT;

// Menus and accelerators.
inline constexpr std::uint16_t kMenuNoDocument = IDR_MENU_NO_DOCUMENT;
inline constexpr std::uint16_t kMenuDocument = IDR_MENU_DOCUMENT;
inline constexpr std::uint16_t kAcceleratorTable = IDR_ACCELERATORS;

// Every command row in id order.
std::span<const CommandRow> command_table();

// The row of a command id; nothing for ids the frame leaves to the default procedure.
std::optional<CommandRow> find_command(std::uint16_t id);

// The string id of the status-bar help of a command; nothing for commands without help.
std::optional<std::uint16_t> command_help_id(std::uint16_t id);

// Font Size 20033-20041 → index 1-9; nothing for other ids.
std::optional<int> font_size_index(std::uint16_t id);

// FuncTable 20071-20079, 20081-20087 → group id - 20070, 20090 → 23; nothing for other ids.
std::optional<int> function_group(std::uint16_t id);

}  // namespace travex
