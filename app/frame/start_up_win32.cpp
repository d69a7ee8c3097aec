// The application's entry: one running copy, window classes, the frame with its fixed
// children, and the message loop.
#include <windows.h>

#include <string>

#include "editor/editor_win32.h"
#include "frame/command_table.h"
#include "frame/frame_win32.h"
#include "frame/window_classes.h"
#include "panels/panels_win32.h"
#include "window/message_table.h"

namespace travex::win32 {

namespace {

// Another copy's frame is brought forward instead of starting a second one.
bool activate_running_copy() {
    HWND running = FindWindowA(std::string(kFrameClassName).c_str(), nullptr);
    if (running == nullptr) {
        return false;
    }
    if (IsIconic(running)) {
        ShowWindow(running, SW_RESTORE);
    }
    SetForegroundWindow(running);
    return true;
}

void set_menu_tick(UINT command, bool ticked) {
    AppState& state = app_state();
    const UINT flags = MF_BYCOMMAND | (ticked ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(state.no_document_menu, command, flags);
    CheckMenuItem(state.document_menu, command, flags);
}

int run_message_loop() {
    AppState& state = app_state();
    HACCEL accelerators = LoadAcceleratorsA(state.instance, MAKEINTRESOURCEA(kAcceleratorTable));
    MSG message;
    // The Unicode loop keeps typed characters intact for the editors' Unicode edit boxes,
    // whatever the ANSI code page.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (state.modeless_dialog != nullptr && IsWindow(state.modeless_dialog) &&
            IsDialogMessageW(state.modeless_dialog, &message)) {
            continue;
        }
        if (accelerators != nullptr && TranslateAcceleratorW(state.frame, accelerators, &message)) {
            continue;
        }
        if (state.mdi_client != nullptr && TranslateMDISysAccel(state.mdi_client, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        RefreshToolbar();
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int start(HINSTANCE instance) {
    AppState& state = app_state();
    state.instance = instance;
    state.save_as = &save_as_command;
    state.refresh_toolbar = &RefreshToolbar;
    if (activate_running_copy()) {
        return 0;
    }
    if (!register_window_classes(instance)) {
        return 0;
    }
    state.window_count = 1;
    read_settings_file();
    state.no_document_menu = LoadMenuA(instance, MAKEINTRESOURCEA(kMenuNoDocument));
    state.document_menu = LoadMenuA(instance, MAKEINTRESOURCEA(kMenuDocument));
    InstallFont(true);

    state.frame = CreateWindowExA(0, std::string(kFrameClassName).c_str(), "ZELTA TRAVEX",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 677, 588, nullptr,
                                  state.no_document_menu, instance, nullptr);
    HWND start_up_editor = nullptr;
    const bool created = state.frame != nullptr && create_frame_children(state.frame) &&
                         (state.settings.keyboard == 0 || create_keyboard_panel() != nullptr) &&
                         (start_up_editor = CreateEditor()) != nullptr;
    if (!created) {
        // What was created is left to the end of the process.
        ReportError(nullptr, MessageId::no_memory);
        return 0;
    }
    ShowWindow(state.frame, state.settings.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(state.frame);
    // The MDI client starts with its scroll bars showing and drops them only once it finds its
    // windows fit, after the start-up editor was sized to the smaller area between them. With the
    // frame at its final size the editor is placed again on the whole client, so it gets the
    // size every later editor gets; an editor that fits brings no scroll bars back.
    ShowScrollBar(state.mdi_client, SB_BOTH, FALSE);
    PlaceEditor(start_up_editor);

    SendMessageA(state.frame, WM_COMMAND, kCommandFontSizeBase + state.settings.font_size_index, 0);
    set_menu_tick(kCommandToolBar, state.settings.toolbar != 0);
    set_menu_tick(kCommandKeyBoard, state.settings.keyboard != 0);
    SetForegroundWindow(state.frame);

    const int exit_code = run_message_loop();
    InstallFont(false);
    DestroyMenu(state.no_document_menu);
    DestroyMenu(state.document_menu);
    return exit_code;
}

}  // namespace travex::win32

// No exception leaves the program: one that nothing caught (memory running out above all)
// is told as message 400 and ends the run with a failure status.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        return travex::win32::start(instance);
    } catch (...) {
        MessageBoxA(nullptr, "Insufficient free memory.", "ZELTA TRAVEX",
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);
        return 1;
    }
}
