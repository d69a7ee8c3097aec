// The frame window: layout of its children, the menu help line, closing, and the dispatch of
// every menu and accelerator command through the command table.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "editor/editor_win32.h"
#include "files/file_kind.h"
#include "frame/command_table.h"
#include "frame/frame_win32.h"
#include "frame/group_dialogs_win32.h"
#include "frame/link_shell_win32.h"
#include "frame/opening_tool.h"
#include "frame/slide_show_win32.h"
#include "panels/panels_win32.h"
#include "repro/repro_win32.h"
#include "resources/string_table.h"
#include "window/message_table.h"
#include "window/window_registry.h"

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
    std::size_t position = 0;
    while (const WindowId editor =
               state.documents.next(0, DocumentKind::program_editor, position)) {
        SetEditorFont(reinterpret_cast<HWND>(editor));
        ++position;
    }
}

// The edit box of the active editor that has the focus: the text box, else the title box.
HWND focused_editor_box() {
    HWND editor = active_editor();
    if (editor == nullptr) {
        return nullptr;
    }
    HWND focus = GetFocus();
    if (focus != nullptr &&
        (focus == editor_text_box(editor) || focus == editor_title_box(editor))) {
        return focus;
    }
    return nullptr;
}

// A slide show takes Cut, Copy and Paste in its title field when that has the focus.
void route_to_slide_show_title(UINT message) {
    const WindowId show = app_state().documents.active(DocumentKind::slide_show);
    HWND title = slide_show_title_box(reinterpret_cast<HWND>(show));
    if (title != nullptr && GetFocus() == title) {
        SendMessageW(title, message, 0, 0);
    }
}

// Cut, Copy and Paste go to the focused box of the active window of the current kind; screen
// images and slide shows take them with their windows.
void route_edit_message(UINT message) {
    if (app_state().documents.current_kind() == DocumentKind::slide_show) {
        route_to_slide_show_title(message);
        return;
    }
    if (app_state().documents.current_kind() == DocumentKind::screen_image) {
        // A screen image copies its picture for Cut, Copy and Paste alike.
        if (const WindowId image = app_state().documents.active(DocumentKind::screen_image)) {
            CopyScreenImage(reinterpret_cast<HWND>(image));
        }
        return;
    }
    if (app_state().documents.current_kind() != DocumentKind::program_editor) {
        return;
    }
    if (HWND box = focused_editor_box()) {
        SendMessageW(box, message, 0, 0);
    }
}

void press_delete() {
    if (HWND box = focused_editor_box()) {
        SendMessageW(box, WM_KEYDOWN, VK_DELETE, 0);
        SendMessageW(box, WM_KEYUP, VK_DELETE, 0);
    }
}

void select_all() {
    if (HWND box = editor_text_box(active_editor())) {
        SetFocus(box);
        SendMessageW(box, EM_SETSEL, 0, -1);
    }
}

void save_active_editor() {
    HWND editor = active_editor();
    // Save writes only a program that came from (or went to) a program file; the menu item
    // is greyed otherwise, and the accelerator is held to the same rule.
    if (editor == nullptr || !app_state().save_enabled ||
        editor_kind(editor) != static_cast<int>(FileKind::program)) {
        return;
    }
    SaveEditor(editor_path(editor), editor, true);
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
        ReportError(frame, MessageId::window_limit);
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

// The entries the MDI client keeps in the document menu's Window menu: one for each of the
// first nine document windows (ids from the first MDI child id on) and "More Windows...".
int window_menu_entries() {
    HMENU windows = GetSubMenu(app_state().document_menu, 5);
    int entries = 0;
    for (int i = 0; windows != nullptr && i < GetMenuItemCount(windows); ++i) {
        const UINT id = GetMenuItemID(windows, i);
        if (id >= kFirstMdiChildId && id < kFirstMdiChildId + 10) {
            ++entries;
        }
    }
    return entries;
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
            if (!refuse_at_window_limit(frame) && CreateEditor() == nullptr) {
                ReportError(frame, MessageId::no_memory);
            }
            break;
        case FrameAction::open:
            if (!refuse_at_window_limit(frame)) {
                open_file_command(frame);
            }
            break;
        case FrameAction::send:
            StartLinkOperation(frame, link::LinkOperation::send);
            break;
        case FrameAction::receive:
            StartLinkOperation(frame, link::LinkOperation::receive);
            break;
        case FrameAction::screen_capture:
            if (!refuse_at_window_limit(frame)) {
                StartLinkOperation(frame, link::LinkOperation::capture);
            }
            break;
        case FrameAction::auto_setting_step:
            AutoSettingCommand(frame);
            break;
        case FrameAction::communication_port:
            RunCommunicationPortDialog(frame);
            break;
        case FrameAction::save:
            save_active_editor();
            break;
        case FrameAction::save_as:
            if (const WindowId active = state.documents.active(DocumentKind::any)) {
                save_as_command(frame, reinterpret_cast<HWND>(active));
            }
            break;
        case FrameAction::print:
            if (state.documents.active(DocumentKind::any) != 0) {
                Print(frame);
            }
            break;
        case FrameAction::print_setup:
            PrintSetup(frame);
            break;
        case FrameAction::undo:
            if (HWND box = focused_editor_box()) {
                SendMessageW(box, WM_UNDO, 0, 0);
            }
            break;
        case FrameAction::cut:
            route_edit_message(WM_CUT);
            break;
        case FrameAction::copy:
            route_edit_message(WM_COPY);
            break;
        case FrameAction::paste:
            route_edit_message(WM_PASTE);
            break;
        case FrameAction::delete_key:
            press_delete();
            break;
        case FrameAction::select_all:
            select_all();
            break;
        case FrameAction::find:
            OpenFind();
            break;
        case FrameAction::replace:
            OpenReplace();
            break;
        case FrameAction::close:
            if (const WindowId active = state.documents.active(DocumentKind::any)) {
                SendMessageA(reinterpret_cast<HWND>(active), WM_CLOSE, 0, 0);
            }
            break;
        case FrameAction::group_files:
            GroupFilesCommand(frame);
            break;
        case FrameAction::ungroup_files:
            UngroupFilesCommand(frame);
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
        case FrameAction::repro:
            // The port of CommPort; port 1 when none was chosen.
            ShowReproDialog(frame, std::max(state.settings.port_index, 0) + 1, &ReportError);
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
    if (message == state.find_replace_message && message != 0) {
        HandleFindMessage(l);
        return 0;
    }
    // Menus cannot be read from another process under every system, so the frame tells
    // automation tools (the Wine tests) which menu it shows and whether Save is available.
    static const UINT menu_state_query = RegisterWindowMessageA("TRAVEX.MenuState");
    if (message == menu_state_query) {
        const bool document_menu = GetMenu(window) == state.document_menu;
        const bool save_on =
            (GetMenuState(state.document_menu, kCommandSave, MF_BYCOMMAND) & MF_GRAYED) == 0;
        return (document_menu ? 1 : 0) | (save_on ? 2 : 0);
    }
    // For the same tools: how many windows the Window menu lists.
    static const UINT window_list_query = RegisterWindowMessageA("TRAVEX.WindowMenuCount");
    if (message == window_list_query) {
        return window_menu_entries();
    }
    // The time the last transfer took, for automation tools that compare it with travex-cli.
    static const UINT transfer_time_query = RegisterWindowMessageA("TRAVEX.LinkTransferTime");
    if (message == transfer_time_query) {
        return static_cast<LRESULT>(LinkTransferTime());
    }
    // Whether a link operation still holds the port (its goodbye included).
    static const UINT link_busy_query = RegisterWindowMessageA("TRAVEX.LinkBusy");
    if (message == link_busy_query) {
        return LinkBusy() ? 1 : 0;
    }
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
            if (w == kLinkTimer) {
                HandleLinkTimer(window);
                return 0;
            }
            if (w == kOpeningToolTimer) {
                opening_tool_timed_out(window);
                return 0;
            }
            break;
        case kAutoSettingResultMessage:
            AutoSettingResult(window, w, l);
            return 0;
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
            ReleaseFindState();
            ReleasePrinterSettings();
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
        0, "PCTolWClass", nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, client.right,
        kToolbarHeight, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolbarId)),
        state.instance, nullptr);
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
