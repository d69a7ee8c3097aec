// The frame window: layout of its children, the menu help line, closing, and the dispatch of
// every menu and accelerator command through the command table.
#include <windows.h>

#include <shellapi.h>

#include "frame/command_table.h"
#include "frame/frame_win32.h"
#include "frame/message_table.h"
#include "frame/opening_tool.h"
#include "frame/window_registry.h"
#include "resources/string_table.h"

namespace travex::win32 {
namespace {

void set_menu_tick(UINT command, bool ticked) {
    AppState& state = app_state();
    const UINT flags = MF_BYCOMMAND | (ticked ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(state.no_document_menu, command, flags);
    CheckMenuItem(state.document_menu, command, flags);
}

void layout(int width, int height) {
    AppState& state = app_state();
    const int status = status_bar_height(state.frame);
    const int top = state.settings.toolbar != 0 ? kToolbarHeight : 0;
    MoveWindow(state.mdi_client, 0, top, width, height - status - top, TRUE);
    ShowWindow(state.mdi_client, SW_SHOW);
    MoveWindow(state.toolbar, 0, 0, width, kToolbarHeight, TRUE);
    ShowWindow(state.toolbar, state.settings.toolbar != 0 ? SW_SHOW : SW_HIDE);
    MoveWindow(state.status_bar, 0, height - status, width, status, TRUE);
    ShowWindow(state.status_bar, SW_SHOW);
}

void toggle_toolbar() {
    AppState& state = app_state();
    state.settings.toolbar = state.settings.toolbar != 0 ? 0 : 1;
    set_menu_tick(kCommandToolBar, state.settings.toolbar != 0);
    EnableWindow(state.toolbar, state.settings.toolbar != 0);
    RECT client;
    GetClientRect(state.frame, &client);
    layout(client.right, client.bottom);
    DrawMenuBar(state.frame);
}

void toggle_keyboard() {
    AppState& state = app_state();
    if (state.keyboard_panel != nullptr) {
        // The panel's destroy handling unticks the item and clears the flag.
        SendMessageA(state.mdi_client, WM_MDIDESTROY,
                     reinterpret_cast<WPARAM>(state.keyboard_panel), 0);
    } else if (create_keyboard_panel() != nullptr) {
        set_menu_tick(kCommandKeyBoard, true);
        state.settings.keyboard = 1;
    }
    DrawMenuBar(state.frame);
}

void select_font_size(std::uint16_t command) {
    AppState& state = app_state();
    for (std::uint16_t id = kCommandFontSizeBase + 1; id <= kCommandFontSizeBase + 9; ++id) {
        set_menu_tick(id, id == command);
    }
    state.settings.font_size_index = *font_size_index(command);
}

void show_menu_help(WPARAM w, LPARAM l) {
    const UINT item = LOWORD(w);
    const UINT flags = HIWORD(w);
    if (flags == 0xFFFF && l == 0) {
        show_status_text(L"Ready");
        return;
    }
    if ((flags & MF_POPUP) != 0) {
        return;
    }
    std::wstring help;
    if (const auto id = command_help_id(static_cast<std::uint16_t>(item))) {
        help = load_string(*id);
    }
    if (help.size() > 63) {
        help.resize(63);
    }
    show_status_text(help);
}

// Asks one document window to close; a window that is still there afterwards was kept open by
// its user.
bool request_close(WindowId id) {
    HWND window = reinterpret_cast<HWND>(id);
    SendMessageA(window, WM_CLOSE, 0, 0);
    return !IsWindow(window);
}

bool close_all_documents() {
    return close_all_windows(app_state().documents, request_close);
}

// New, Open and Screen Capture each open one more document window.
bool refuse_at_window_limit(HWND frame) {
    if (window_limit_reached(app_state().window_count, app_state().settings.window_limit)) {
        ReportError(frame, kMessageWindowLimit);
        return true;
    }
    return false;
}

// Starts the Opening Tool beside the application. The frame stays disabled until the tool
// enables it again; a tool that does not answer within the time-out is reported.
void launch_opening_tool(HWND frame) {
    EnableWindow(frame, FALSE);
    std::string settings = settings_path();
    if (settings == kSettingsFileName) {
        settings = ".\\" + std::string(kSettingsFileName);
    }
    const std::string parameters =
        opening_tool_parameters(reinterpret_cast<std::uintptr_t>(frame), settings);
    SetTimer(frame, kOpeningToolTimer, kOpeningToolTimeoutMs, nullptr);
    char own_path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own_path, MAX_PATH);
    const std::string program = opening_tool_program(own_path);
    SetForegroundWindow(frame);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(frame, "open", program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        EnableWindow(frame, TRUE);
    }
}

void opening_tool_timed_out(HWND frame) {
    KillTimer(frame, kOpeningToolTimer);
    MessageBoxA(frame, std::string(kOpeningToolFailure).c_str(), "ZELTA TRAVEX",
                MB_OK | MB_ICONERROR | MB_TOPMOST);
    EnableWindow(frame, TRUE);
}

// Runs a command of the table; false for ids the default frame procedure handles.
bool run_command(HWND frame, std::uint16_t id) {
    const auto row = find_command(id);
    if (!row) {
        return false;
    }
    AppState& state = app_state();
    switch (row->action) {
        case FrameAction::new_document:
        case FrameAction::open:
        case FrameAction::screen_capture:
            // The document windows themselves arrive with their modules.
            refuse_at_window_limit(frame);
            break;
        case FrameAction::close:
            if (const WindowId active = state.documents.active(DocumentKind::any)) {
                SendMessageA(reinterpret_cast<HWND>(active), WM_CLOSE, 0, 0);
            }
            break;
        case FrameAction::close_all:
            close_all_documents();
            break;
        case FrameAction::exit:
            SendMessageA(frame, WM_CLOSE, 0, 0);
            break;
        case FrameAction::function_table:
            open_function_table(*function_group(id));
            break;
        case FrameAction::opening_tool:
            launch_opening_tool(frame);
            break;
        case FrameAction::about:
            ShowAbout(frame);
            break;
        case FrameAction::toggle_toolbar:
            toggle_toolbar();
            break;
        case FrameAction::toggle_keyboard:
            toggle_keyboard();
            break;
        case FrameAction::font_size:
            select_font_size(id);
            break;
        case FrameAction::arrange_icons:
            SendMessageA(state.mdi_client, WM_MDIICONARRANGE, 0, 0);
            break;
        case FrameAction::cascade:
            SendMessageA(state.mdi_client, WM_MDICASCADE, 0, 0);
            break;
        case FrameAction::tile_horizontal:
            SendMessageA(state.mdi_client, WM_MDITILE, MDITILE_HORIZONTAL, 0);
            break;
        case FrameAction::tile_vertical:
            SendMessageA(state.mdi_client, WM_MDITILE, MDITILE_VERTICAL, 0);
            break;
        default:
            // Documents, link, function table and keyboard commands arrive with their
            // windows; until then the command does nothing.
            break;
    }
    return true;
}

}  // namespace

LRESULT CALLBACK frame_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    AppState& state = app_state();
    switch (message) {
        case WM_CREATE:
            SetWindowLongPtrA(window, 0, 0);
            state.find_replace_message = RegisterWindowMessageA("commdlg_FindReplace");
            return 0;
        case WM_SIZE:
            if ((w == SIZE_RESTORED || w == SIZE_MAXIMIZED) && state.mdi_client != nullptr) {
                layout(LOWORD(l), HIWORD(l));
            }
            return 0;
        case WM_MENUSELECT:
            show_menu_help(w, l);
            return 0;
        case WM_COMMAND:
            if (run_command(window, LOWORD(w))) {
                return 0;
            }
            break;
        case WM_TIMER:
            if (w == kOpeningToolTimer) {
                opening_tool_timed_out(window);
                return 0;
            }
            break;
        case kOpeningToolHandshakeMessage:
            // After the handshake the tool owns the disabled frame and enables it when done.
            if (is_opening_tool_handshake(w)) {
                KillTimer(window, kOpeningToolTimer);
            }
            return 0;
        case WM_CLOSE:
            // The settings are written first, so a close cancelled by a save prompt keeps them.
            write_settings_file();
            if (!close_all_documents()) {
                return 0;
            }
            DestroyWindow(state.mdi_client);
            state.mdi_client = nullptr;
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            // The menus belong to the start-up code, which destroys both after the loop.
            SetMenu(window, nullptr);
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefFrameProcA(window, state.mdi_client, message, w, l);
}

bool create_frame_children(HWND frame) {
    AppState& state = app_state();
    RECT client;
    GetClientRect(frame, &client);
    state.toolbar = CreateWindowExA(
        0, "PCTolWClass", nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, client.right, kToolbarHeight,
        frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolbarId)), state.instance, nullptr);
    if (state.toolbar == nullptr) {
        return false;
    }
    // The hover label: one text line high, hidden until the pointer rests on a button.
    HDC dc = GetDC(frame);
    SIZE letter = {};
    GetTextExtentPoint32A(dc, "A", 1, &letter);
    ReleaseDC(frame, dc);
    HWND label = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_BORDER | SS_CENTER, 0, 0, 30,
                                 letter.cy + 2, state.toolbar,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHoverLabelId)),
                                 state.instance, nullptr);
    if (label == nullptr) {
        return false;
    }
    const int status = status_bar_height(frame);
    state.status_bar = CreateWindowExA(
        0, "PCStsWClass", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
        client.bottom - status, client.right, status, frame,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)), state.instance, nullptr);
    if (state.status_bar == nullptr) {
        return false;
    }
    CLIENTCREATESTRUCT mdi = {};
    mdi.hWindowMenu = nullptr;
    mdi.idFirstChild = kFirstMdiChildId;
    state.mdi_client = CreateWindowExA(
        0, "MDICLIENT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER | WS_HSCROLL | WS_VSCROLL |
            MDIS_ALLCHILDSTYLES,
        0, kToolbarHeight, client.right, client.bottom - status - kToolbarHeight, frame,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMdiClientId)), state.instance, &mdi);
    if (state.mdi_client == nullptr) {
        return false;
    }
    if (state.settings.toolbar != 0) {
        ShowWindow(state.toolbar, SW_SHOW);
        UpdateWindow(state.toolbar);
    } else {
        EnableWindow(state.toolbar, FALSE);
    }
    return true;
}

}  // namespace travex::win32
