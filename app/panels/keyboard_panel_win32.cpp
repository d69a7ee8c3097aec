// The keyboard panel: a picture of the calculator's keys that insert their text into the
// active program editor or open the function table, with the 2ndF and ALPHA shifts.
#include <windows.h>

#include "editor/editor_win32.h"
#include "panels/keyboard_keys.h"
#include "panels/panels_win32.h"
#include "resources/resource_ids.h"
#include "window/app_state_win32.h"

namespace travex::win32 {
namespace {

constexpr int kKeyboardPicture = IDB_KEYBOARD;
constexpr int kPressedPicture = IDB_KEYBOARD_PRESSED;
constexpr int kIndicatorPicture = IDB_INDICATOR;

// Application-wide while the panel exists; the shift state lives as long as the process.
struct KeyboardPanel {
    HBITMAP picture = nullptr;
    HBITMAP pressed = nullptr;
    HBITMAP indicator = nullptr;
};
KeyboardPanel panel;
KeyboardState shift_state;

HBITMAP load_bitmap(int id) {
    return static_cast<HBITMAP>(LoadImageA(app_state().instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP,
                                           0, 0, LR_DEFAULTCOLOR));
}

void copy_bitmap(HDC target, int x, int y, int width, int height, HBITMAP source, int source_x,
                 int source_y) {
    if (source == nullptr) {
        return;
    }
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ old = SelectObject(memory, source);
    BitBlt(target, x, y, width, height, memory, source_x, source_y, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void set_key_board_tick(bool ticked) {
    const UINT flags = MF_BYCOMMAND | (ticked ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(app_state().no_document_menu, IDM_KEYBOARD, flags);
    CheckMenuItem(app_state().document_menu, IDM_KEYBOARD, flags);
    DrawMenuBar(app_state().frame);
}

void create_keys(HWND window) {
    for (const KeyboardKey& key : keyboard_keys()) {
        CreateWindowExA(0, "BUTTON", nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, key.x, key.y,
                        key.width, key.height, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(key.id)), app_state().instance,
                        nullptr);
    }
}

void draw_key(const DRAWITEMSTRUCT& item) {
    for (const KeyboardKey& key : keyboard_keys()) {
        if (key.id == static_cast<int>(item.CtlID)) {
            const bool pushed = (item.itemState & ODS_SELECTED) != 0;
            copy_bitmap(item.hDC, 0, 0, key.width, key.height,
                        pushed ? panel.pressed : panel.picture, key.x, key.y);
            return;
        }
    }
}

void on_key(HWND window, int id) {
    const KeyResult result = press_key(shift_state, id);
    if (result.group != 0) {
        open_function_table(result.group);
    }
    if (!result.text.empty()) {
        InsertIntoActiveEditor(result.text);
    }
    RECT indicator = {kIndicatorX, kIndicatorY, kIndicatorX + kIndicatorWidth,
                      kIndicatorY + kIndicatorHeight};
    InvalidateRect(window, &indicator, FALSE);
    UpdateWindow(window);
}

// The panel shows the menu of the documents, or the no-document menu when none is open.
void apply_menu_rules() {
    const AppState& state = app_state();
    if (state.window_count <= 1) {
        SendMessageA(state.mdi_client, WM_MDISETMENU,
                     reinterpret_cast<WPARAM>(state.no_document_menu), 0);
    } else {
        SendMessageA(state.mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(state.document_menu),
                     reinterpret_cast<LPARAM>(GetSubMenu(state.document_menu, 5)));
    }
    DrawMenuBar(state.frame);
}

}  // namespace

HWND create_keyboard_panel() {
    AppState& state = app_state();
    MDICREATESTRUCTA create = {};
    create.szClass = "PCDenWClass";
    create.szTitle = "KeyPad RQ-7310";
    create.hOwner = state.instance;
    create.cx = kKeyboardWidth + 2 * GetSystemMetrics(SM_CXBORDER);
    create.cy =
        kKeyboardHeight + 2 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION);
    create.style = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
    state.keyboard_panel = reinterpret_cast<HWND>(
        SendMessageA(state.mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    if (state.keyboard_panel != nullptr) {
        // The window frame a system gives MDI children may be wider than a plain border; the
        // client area is what must hold the picture.
        RECT outer = {0, 0, kKeyboardWidth, kKeyboardHeight};
        AdjustWindowRectEx(
            &outer, static_cast<DWORD>(GetWindowLongPtrA(state.keyboard_panel, GWL_STYLE)), FALSE,
            static_cast<DWORD>(GetWindowLongPtrA(state.keyboard_panel, GWL_EXSTYLE)));
        SetWindowPos(state.keyboard_panel, nullptr, 0, 0, outer.right - outer.left,
                     outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
    }
    return state.keyboard_panel;
}

LRESULT CALLBACK keyboard_panel_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CREATE:
            panel.picture = load_bitmap(kKeyboardPicture);
            panel.pressed = load_bitmap(kPressedPicture);
            panel.indicator = load_bitmap(kIndicatorPicture);
            create_keys(window);
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            copy_bitmap(dc, 0, 0, kKeyboardWidth, kKeyboardHeight, panel.picture, 0, 0);
            copy_bitmap(dc, kIndicatorX, kIndicatorY, kIndicatorWidth, kIndicatorHeight,
                        panel.indicator, 0, kIndicatorHeight * shift_state.indicator);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DRAWITEM:
            draw_key(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(w) == BN_CLICKED) {
                on_key(window, LOWORD(w));
                return 0;
            }
            break;
        case WM_MDIACTIVATE:
            if (reinterpret_cast<HWND>(l) == window) {
                apply_menu_rules();
            }
            break;
        case WM_DESTROY:
            set_key_board_tick(false);
            for (HBITMAP* bitmap : {&panel.picture, &panel.pressed, &panel.indicator}) {
                DeleteObject(*bitmap);
                *bitmap = nullptr;
            }
            app_state().keyboard_panel = nullptr;
            app_state().settings.keyboard = 0;
            break;
        default:
            break;
    }
    return DefMDIChildProcA(window, message, w, l);
}

}  // namespace travex::win32
