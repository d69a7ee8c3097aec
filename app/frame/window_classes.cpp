#include "frame/window_classes.h"
#include "resources/resource_ids.h"

namespace travex {
namespace {

using enum ClassProcedure;
using enum ClassBrush;

constexpr WindowClass kClasses[] = {
    {"PCMainWClass", frame, true, true, true, IDI_FRAME, white, false},
    {"PCDenWClass", keyboard_panel, false, false, false, IDI_KEYPAD, black, true},
    {"PCFncWClass", function_table, false, false, true, IDI_FUNCTIONS, light_grey, true},
    {"PCEdtWClass", editor, true, false, true, IDI_EDITOR, light_grey, true},
    {"PCTolWClass", toolbar, false, false, false, 0, light_grey, false},
    {"PCStsWClass", status_bar, false, false, false, 0, light_grey, false},
    {"PCScrWClass", screen_capture, false, false, true, IDI_SCREEN, light_grey, true},
    {"PCImgWClass", picture_pane, false, false, true, 0, grey, false},
    {"PCRunWClass", transfer_progress, false, false, false, 0, light_grey, false},
    {"PCSldWClass", slide_show, true, false, true, IDI_SLIDES, light_grey, true},
    {"PCSldCClass", slide_cell, false, false, true, 0, light_grey, false},
    {"PCSldIClass", system_default, false, false, true, 0, white, false},
};

}  // namespace

std::span<const WindowClass> window_classes() {
    return kClasses;
}

}  // namespace travex
