// The function-table window: an MDI child with up to three lists of the calculator's commands
// by menu group, drawn in the calculator font.
#include <windows.h>

#include <memory>
#include <string>

#include "editor/editor_win32.h"
#include "panels/function_rows.h"
#include "panels/function_table.h"
#include "panels/panels_win32.h"
#include "window/app_state_win32.h"

namespace travex::win32 {
namespace {

constexpr int kFirstListId = 33;
constexpr int kListCount = 3;
constexpr int kListLeft[kListCount] = {12, 164, 316};
constexpr int kListTop = 12;
constexpr int kListWidth = 140;
constexpr int kListHeight = 296;
constexpr int kWindowHeight = 343;
constexpr int kVarsGroup = 21;
constexpr int kListPointSize = 10;

// The window's record: its three lists and their fonts.
struct FunctionTableRecord {
    HWND lists[kListCount] = {};
    HFONT fonts[kListCount] = {};
};

FunctionTableRecord* record_of(HWND window) {
    return reinterpret_cast<FunctionTableRecord*>(GetWindowLongPtrA(window, 0));
}

int item_height(HWND window) {
    HDC dc = GetDC(window);
    const int height = function_row_height(GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(window, dc);
    return height;
}

HFONT calculator_font_of_height(int em_height) {
    // The same face and character set as the editor's font (see calculator_font).
    return CreateFontW(-em_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET,
                       OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY, VARIABLE_PITCH,
                       L"TM-QV7");
}

// The list font: ten points of the calculator font, made smaller when its character cell is
// taller than a row, so that the whole cell (underscores, descenders) is inside the row.
HFONT list_font(HWND window) {
    HDC dc = GetDC(window);
    const int pixels_per_inch = GetDeviceCaps(dc, LOGPIXELSY);
    auto cell_height_at = [dc](int em_height) {
        HFONT font = calculator_font_of_height(em_height);
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        DeleteObject(font);
        return static_cast<int>(metrics.tmHeight);
    };
    const int em_height = fitted_font_height(function_row_height(pixels_per_inch),
                                             pixels_per_inch * kListPointSize / 72, cell_height_at);
    ReleaseDC(window, dc);
    return calculator_font_of_height(em_height);
}

void fill(HWND list, const std::vector<FunctionItem>& items) {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const FunctionItem& item : items) {
        const std::string text = function_text(item.text_id);
        const auto index =
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), item.text_id);
    }
}

void refill(HWND window) {
    FunctionTableRecord* record = record_of(window);
    if (record == nullptr) {
        return;
    }
    const int group = app_state().function_group;
    for (HWND list : record->lists) {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
    }
    SetWindowTextA(window, function_text(static_cast<std::uint16_t>(group)).c_str());
    fill(record->lists[0], first_column(group));
}

int selection(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
}

void on_selection(HWND window, int list_index) {
    FunctionTableRecord* record = record_of(window);
    const int group = app_state().function_group;
    if (list_index == 0 && group != 1) {
        SendMessageA(record->lists[1], LB_RESETCONTENT, 0, 0);
        SendMessageA(record->lists[2], LB_RESETCONTENT, 0, 0);
        const int position = selection(record->lists[0]);
        if (group == kVarsGroup) {
            const auto headings = second_column(group, position);
            if (headings.empty()) {
                fill(record->lists[2], third_column(position, -1));
            } else {
                fill(record->lists[1], headings);
            }
        } else {
            fill(record->lists[1], second_column(group, position));
        }
    } else if (list_index == 1 && group == kVarsGroup) {
        fill(record->lists[2],
             third_column(selection(record->lists[0]), selection(record->lists[1])));
    }
}

// A double-click inserts the entry's calculator text: from column 1 only in KEY PAD (the
// other groups' first column picks a subgroup), from column 2 except in VARS (headings there),
// from column 3 always.
void insert_selected(HWND window, int list_index) {
    const FunctionTableRecord* record = record_of(window);
    const int group = app_state().function_group;
    const bool inserts = (list_index == 0 && group == 1) ||
                         (list_index == 1 && group != kVarsGroup) || list_index == 2;
    if (record == nullptr || !inserts || list_index < 0 || list_index >= kListCount) {
        return;
    }
    HWND list = record->lists[list_index];
    const int position = selection(list);
    if (position < 0) {
        return;
    }
    const auto text_id = static_cast<std::uint16_t>(
        SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(position), 0));
    InsertIntoActiveEditor(function_text(text_id));
}

void draw_item(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1) ||
        (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) {
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    HBRUSH background = selected ? GetSysColorBrush(COLOR_HIGHLIGHT)
                                 : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(item.hDC, &item.rcItem, background);
    SetTextColor(item.hDC, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
    SetBkMode(item.hDC, TRANSPARENT);
    const std::wstring text =
        calculator_wide_text(function_text(static_cast<std::uint16_t>(item.itemData)));
    // Clipped to the row, so that a row never draws over its neighbours.
    ExtTextOutW(item.hDC, item.rcItem.left, item.rcItem.top, ETO_CLIPPED, &item.rcItem,
                text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

void create_lists(HWND window) {
    auto record = std::make_unique<FunctionTableRecord>();
    for (int i = 0; i < kListCount; ++i) {
        record->lists[i] = CreateWindowExA(
            0, "LISTBOX", nullptr,
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | WS_TABSTOP | LBS_DISABLENOSCROLL |
                LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY,
            kListLeft[i], kListTop, kListWidth, kListHeight, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstListId + i)), app_state().instance,
            nullptr);
        record->fonts[i] = list_font(window);
        SendMessageA(record->lists[i], WM_SETFONT, reinterpret_cast<WPARAM>(record->fonts[i]), 0);
    }
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(record.release()));
}

void destroy_record(HWND window) {
    std::unique_ptr<FunctionTableRecord> record(record_of(window));
    SetWindowLongPtrA(window, 0, 0);
    if (record != nullptr) {
        for (HFONT font : record->fonts) {
            DeleteObject(font);
        }
    }
    app_state().function_table = nullptr;
}

}  // namespace

HWND open_function_table(int group) {
    AppState& state = app_state();
    state.function_group = group;
    if (state.function_table == nullptr) {
        MDICREATESTRUCTA create = {};
        create.szClass = "PCFncWClass";
        create.szTitle = "";
        create.hOwner = state.instance;
        create.style = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
        state.function_table = reinterpret_cast<HWND>(
            SendMessageA(state.mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
        if (state.function_table == nullptr) {
            return nullptr;
        }
    }
    SetWindowPos(state.function_table, nullptr, 0, 0, function_window_width(group), kWindowHeight,
                 SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(state.function_table, SW_SHOW);
    refill(state.function_table);
    InvalidateRect(state.function_table, nullptr, TRUE);
    return state.function_table;
}

LRESULT CALLBACK function_table_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CREATE:
            create_lists(window);
            break;
        case WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemHeight =
                static_cast<UINT>(item_height(window));
            reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemWidth = 100;
            return TRUE;
        case WM_DRAWITEM:
            draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(w) == LBN_SELCHANGE) {
                on_selection(window, LOWORD(w) - kFirstListId);
                return 0;
            }
            if (HIWORD(w) == LBN_DBLCLK) {
                insert_selected(window, LOWORD(w) - kFirstListId);
                return 0;
            }
            break;
        case WM_MDIACTIVATE:
            if (reinterpret_cast<HWND>(l) == window && record_of(window) != nullptr) {
                SetFocus(record_of(window)->lists[0]);
            }
            DrawMenuBar(app_state().frame);
            break;
        case WM_CLOSE:
            destroy_record(window);
            break;
        case WM_DESTROY:
            if (record_of(window) != nullptr) {
                destroy_record(window);
            }
            break;
        default:
            break;
    }
    return DefMDIChildProcA(window, message, w, l);
}

}  // namespace travex::win32
