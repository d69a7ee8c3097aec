// Registration of the application's window classes from the class table.
#include <windows.h>

#include <string>

#include "editor/editor_win32.h"
#include "frame/frame_win32.h"
#include "frame/link_shell_win32.h"
#include "frame/slide_show_win32.h"
#include "frame/window_classes.h"
#include "panels/panels_win32.h"

namespace travex::win32 {
namespace {

// Document and panel windows whose own procedures arrive with their modules behave as plain
// MDI children (or plain windows) until then.
LRESULT CALLBACK plain_mdi_child_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefMDIChildProcA(window, message, w, l);
}

WNDPROC procedure_for(const WindowClass& window_class) {
    switch (window_class.procedure) {
        case ClassProcedure::frame:
            return frame_procedure;
        case ClassProcedure::toolbar:
            return toolbar_procedure;
        case ClassProcedure::status_bar:
            return status_bar_procedure;
        case ClassProcedure::function_table:
            return function_table_procedure;
        case ClassProcedure::keyboard_panel:
            return keyboard_panel_procedure;
        case ClassProcedure::editor:
            return editor_procedure;
        // The slide show window and its page windows.
        case ClassProcedure::slide_show:
            return slide_show_procedure;
        case ClassProcedure::slide_cell:
            return slide_page_procedure;
        case ClassProcedure::screen_capture:
            return screen_window_procedure;
        case ClassProcedure::picture_pane:
            return picture_pane_procedure;
        case ClassProcedure::transfer_progress:
            return progress_window_procedure;
        default:
            return window_class.mdi_child ? plain_mdi_child_procedure : DefWindowProcA;
    }
}

int stock_brush(ClassBrush brush) {
    switch (brush) {
        case ClassBrush::white:
            return WHITE_BRUSH;
        case ClassBrush::black:
            return BLACK_BRUSH;
        case ClassBrush::grey:
            return GRAY_BRUSH;
        case ClassBrush::light_grey:
            break;
    }
    return LTGRAY_BRUSH;
}

}  // namespace

bool register_window_classes(HINSTANCE instance) {
    for (const WindowClass& window_class : window_classes()) {
        const std::string name(window_class.name);
        WNDCLASSA description = {};
        description.style = (window_class.redraw_on_resize ? CS_HREDRAW | CS_VREDRAW : 0) |
                            (window_class.own_device_context ? CS_OWNDC : 0);
        description.lpfnWndProc = procedure_for(window_class);
        description.cbWndExtra = window_class.has_record ? sizeof(LONG_PTR) : 0;
        description.hInstance = instance;
        description.hIcon = window_class.icon != 0
                                ? LoadIconA(instance, MAKEINTRESOURCEA(window_class.icon))
                                : nullptr;
        description.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // arrow
        description.hbrBackground =
            static_cast<HBRUSH>(GetStockObject(stock_brush(window_class.background)));
        description.lpszClassName = name.c_str();
        if (RegisterClassA(&description) == 0) {
            return false;
        }
    }
    return true;
}

}  // namespace travex::win32
