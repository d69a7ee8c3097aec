#pragma once
// The application's window classes, registered at start-up in this order.
#include <span>
#include <string_view>

namespace travex {

enum class ClassBrush { white, black, light_grey, grey };

// Which window procedure serves a class.
enum class ClassProcedure {
    frame,
    keyboard_panel,
    function_table,
    editor,
    toolbar,
    status_bar,
    screen_capture,
    picture_pane,
    transfer_progress,
    slide_show,
    slide_cell,
    system_default,
};

struct WindowClass {
    std::string_view name;
    ClassProcedure procedure;
    bool redraw_on_resize;  // horizontal and vertical
    bool own_device_context;
    bool has_record;  // the window keeps a handle to its record in its extra bytes
    int icon;         // icon group resource, 0 for none
    ClassBrush background;
    bool mdi_child;
};

std::span<const WindowClass> window_classes();

inline constexpr std::string_view kFrameClassName = "PCMainWClass";

}  // namespace travex
