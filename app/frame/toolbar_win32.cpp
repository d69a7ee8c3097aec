// The toolbar strip along the top of the frame: ten picture buttons that send their commands
// to the frame, and a label that names the button under the pointer.
#include <windows.h>

#include <optional>

#include "frame/frame_win32.h"
#include "frame/toolbar_buttons.h"

namespace travex::win32 {
namespace {

// Toolbar state for the life of the frame; the pressed index keeps its last value.
struct ToolbarState {
    HBITMAP buttons = nullptr;
    int pressed = -1;
    int hovered = -1;  // the button whose name the label shows, -1 while it is hidden
    std::optional<ToolbarContext> painted;  // what the buttons were last drawn for
};
ToolbarState toolbar;

ToolbarContext current_context() {
    const AppState& state = app_state();
    return ToolbarContext{state.save_enabled,
                          state.documents.active(DocumentKind::program_editor) != 0,
                          state.documents.active(DocumentKind::any) != 0};
}

// Fades a button that cannot be pressed now: every other pixel becomes white.
void fade_button(HDC dc, int index) {
    static const WORD kChecker[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kChecker);
    HBRUSH brush = CreatePatternBrush(pattern);
    // A one-bit pattern draws its 0 bits in the text colour and its 1 bits in the background
    // colour; "destination OR pattern" keeps the pixels under black and whitens the others.
    const COLORREF old_text = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF old_back = SetBkColor(dc, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, brush);
    constexpr DWORD kDestinationOrPattern = 0x00FA0089;
    PatBlt(dc, toolbar_buttons()[index].x, kButtonTop, kButtonWidth, kButtonHeight,
           kDestinationOrPattern);
    SelectObject(dc, old);
    SetTextColor(dc, old_text);
    SetBkColor(dc, old_back);
    DeleteObject(brush);
    DeleteObject(pattern);
}

void draw_button(HDC dc, int index, bool pressed) {
    if (toolbar.buttons == nullptr) {
        return;  // without the picture the buttons stay undrawn
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, toolbar.buttons);
    BitBlt(dc, toolbar_buttons()[index].x, kButtonTop, kButtonWidth, kButtonHeight, memory,
           kButtonWidth * index, pressed ? kButtonHeight : 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    if (!pressed && press_ignored(index, current_context())) {
        fade_button(dc, index);
    }
}

void draw_buttons(HWND window, int pressed_index) {
    HDC dc = GetDC(window);
    for (int i = 0; i < static_cast<int>(toolbar_buttons().size()); ++i) {
        draw_button(dc, i, i == pressed_index);
    }
    ReleaseDC(window, dc);
}

void draw_etched_line(HDC dc, int width) {
    HPEN grey = CreatePen(PS_SOLID, 1, RGB(127, 127, 127));
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, grey);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, width, 0);
    SelectObject(dc, white);
    MoveToEx(dc, 0, 1, nullptr);
    LineTo(dc, width, 1);
    SelectObject(dc, old);
    DeleteObject(grey);
    DeleteObject(white);
}

std::optional<int> button_under(LPARAM l) {
    return button_at(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)));
}

void show_hover_label(HWND window, int index) {
    HWND label = GetDlgItem(window, kHoverLabelId);
    std::wstring text = load_string(static_cast<UINT>(300 + index));
    if (text.size() > kHoverTextLimit) {
        text.resize(kHoverTextLimit);
    }
    SetWindowTextW(label, text.c_str());
    // The label is measured in the font it draws with. Without a font of its own a label may
    // draw in another font than its DC's default (a system bitmap font, where one is
    // installed), which cut the text ("Sen") or left letters of the last one ("Receivive");
    // it is given the GUI font.
    auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    if (font == nullptr) {
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    // On top of the buttons it reaches over; the strip clips its own drawing around it.
    SetWindowPos(label, HWND_TOP, toolbar_buttons()[index].x + kButtonWidth, 4, extent.cx + 8,
                 extent.cy + 2, SWP_SHOWWINDOW);
    RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    toolbar.hovered = index;
}

void hide_hover_label(HWND window) {
    ShowWindow(GetDlgItem(window, kHoverLabelId), SW_HIDE);
    toolbar.hovered = -1;
}

// The label is set once when the pointer enters a button and left alone while it moves within
// it: setting it on every move makes it flicker and half-drawn.
void on_mouse_move(HWND window, WPARAM w, LPARAM l) {
    if (const auto index = button_under(l)) {
        if (*index != toolbar.hovered) {
            show_hover_label(window, *index);
        }
        if (GetCapture() != window) {
            SetCapture(window);
        }
        return;
    }
    if (toolbar.hovered >= 0) {
        hide_hover_label(window);
    }
    if ((w & MK_LBUTTON) != 0) {
        draw_buttons(window, -1);
    }
    if (GetCapture() == window) {
        ReleaseCapture();
    }
}

void on_button_down(HWND window, LPARAM l) {
    const auto index = button_under(l);
    toolbar.pressed = index.value_or(-1);
    if (!index || press_ignored(*index, current_context())) {
        return;
    }
    HDC dc = GetDC(window);
    draw_button(dc, *index, true);
    ReleaseDC(window, dc);
    SetCapture(window);
}

void on_button_up(HWND window, LPARAM l) {
    const int index = toolbar.pressed;
    if (index < 0 || press_ignored(index, current_context())) {
        return;
    }
    HDC dc = GetDC(window);
    draw_button(dc, index, false);
    ReleaseDC(window, dc);
    if (button_under(l) == index) {
        hide_hover_label(window);
        SendMessageA(app_state().frame, WM_COMMAND, toolbar_buttons()[index].command, 0);
        ReleaseCapture();
    }
}

}  // namespace

void RefreshToolbar() {
    HWND window = app_state().toolbar;
    if (window != nullptr && IsWindowVisible(window) && toolbar.painted != current_context()) {
        toolbar.painted = current_context();
        InvalidateRect(window, nullptr, FALSE);
    }
}

LRESULT CALLBACK toolbar_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CREATE:
            // A missing picture leaves the buttons undrawn; the strip still works.
            toolbar.buttons = static_cast<HBITMAP>(LoadImageA(app_state().instance,
                                                              MAKEINTRESOURCEA(kToolbarBitmap),
                                                              IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
            return 0;
        case WM_DESTROY:
            DeleteObject(toolbar.buttons);
            toolbar.buttons = nullptr;
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            toolbar.painted = current_context();
            for (int i = 0; i < static_cast<int>(toolbar_buttons().size()); ++i) {
                draw_button(dc, i, false);
            }
            RECT client;
            GetClientRect(window, &client);
            draw_etched_line(dc, client.right);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_SIZE:
            if (app_state().settings.toolbar != 0) {
                InvalidateRect(window, nullptr, TRUE);
            }
            return 0;
        case WM_MOUSEMOVE:
            on_mouse_move(window, w, l);
            return 0;
        case WM_LBUTTONDOWN:
            on_button_down(window, l);
            return 0;
        case WM_LBUTTONUP:
            on_button_up(window, l);
            return 0;
        default:
            return DefWindowProcA(window, message, w, l);
    }
}

}  // namespace travex::win32
