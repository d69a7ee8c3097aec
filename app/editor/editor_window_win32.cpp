// The program editor window: a title box above a text box, both in the calculator font, loaded
// from and saved to calculator and text files, with change tracking and the save prompt.
#include <windows.h>

#include <memory>
#include <string>

#include "base/file_system.h"
#include "editor/edit_text.h"
#include "editor/editor_document.h"
#include "editor/editor_win32.h"
#include "files/file_kind.h"
#include "files/name_field.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "window/app_state_win32.h"
#include "window/document_window_win32.h"

namespace travex::win32 {
namespace {

constexpr int kTitleLimit = 40;
constexpr int kTitlePointSize = 12;
constexpr char kModelDigit = '6';
// Point sizes of the font-size index 1-9.
constexpr int kTextPointSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20};

struct EditorRecord {
    HWND mdi_client = nullptr;
    HWND title_box = nullptr;
    HWND text_box = nullptr;
    RECT client{};
    std::string path;
    ItemName calculator_name{};
    // The program's lines as opened or last saved: a save re-tokenizes only changed lines.
    ProgramLines lines;
    int kind = 0;
    HFONT font = nullptr;
    HFONT title_font = nullptr;

    ~EditorRecord() {
        if (font != nullptr) {
            DeleteObject(font);
        }
        if (title_font != nullptr) {
            DeleteObject(title_font);
        }
    }
};

// Counts every successful creation; never reset, so each new window gets a new name.
int untitled_counter = 1;

EditorRecord* record_of(HWND window) {
    return reinterpret_cast<EditorRecord*>(GetWindowLongPtrA(window, 0));
}

void set_font(HWND box, HFONT font) {
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    InvalidateRect(box, nullptr, TRUE);
    UpdateWindow(box);
}

void create_children(HWND window, EditorRecord& record) {
    AppState& state = app_state();
    GetClientRect(window, &record.client);
    const int width = record.client.right;
    const int height = record.client.bottom;
    record.title_box = CreateWindowExW(
        0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_NOHIDESEL, 80, 12,
        width - 90, 20, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTitleBoxId)),
        state.instance, nullptr);
    if (record.title_box == nullptr) {
        return;
    }
    record.title_font = calculator_font(kTitlePointSize);
    set_font(record.title_box, record.title_font);
    SendMessageW(record.title_box, EM_LIMITTEXT, kTitleLimit, 0);
    record.text_box = CreateWindowExW(0, L"EDIT", L"",
                                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE |
                                          ES_AUTOVSCROLL | ES_NOHIDESEL | ES_WANTRETURN,
                                      0, 30, width, height - 30, window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextBoxId)),
                                      state.instance, nullptr);
    if (record.text_box == nullptr) {
        return;
    }
    // The box's own default limit would cut a long program while loading it; the converted
    // text is at most 51,200 characters, which any limit above it holds whole.
    SendMessageW(record.text_box, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    record.font = calculator_font(kTextPointSizes[state.settings.font_size_index - 1]);
    set_font(record.text_box, record.font);
}

bool on_create(HWND window, LPARAM l) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
    const auto* mdi = reinterpret_cast<const MDICREATESTRUCTA*>(create->lpCreateParams);
    auto* record = reinterpret_cast<EditorRecord*>(mdi->lParam);
    create_children(window, *record);
    if (record->title_box == nullptr || record->text_box == nullptr) {
        return false;
    }
    enter_document_window(window, DocumentKind::program_editor);
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(record));
    return true;
}

void on_size(HWND window, int width, int height) {
    EditorRecord* record = record_of(window);
    if (record == nullptr) {
        return;
    }
    HDC dc = GetDC(record->title_box);
    SIZE letter{};
    GetTextExtentPoint32A(dc, "A", 1, &letter);
    ReleaseDC(record->title_box, dc);
    const int h = letter.cy;
    MoveWindow(record->title_box, 80, 2, width - 90, h + 8, TRUE);
    MoveWindow(record->text_box, 0, h + 14, width, height - h - 14, TRUE);
    InvalidateRect(window, nullptr, TRUE);
}

void on_paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 10, 6, "Title:", 6);
    RECT client;
    GetClientRect(window, &client);
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HPEN grey = CreatePen(PS_SOLID, 1, RGB(127, 127, 127));
    HGDIOBJ old = SelectObject(dc, white);
    MoveToEx(dc, 0, client.bottom - 1, nullptr);
    LineTo(dc, 0, 0);
    LineTo(dc, client.right - 1, 0);
    SelectObject(dc, grey);
    LineTo(dc, client.right - 1, client.bottom - 1);
    LineTo(dc, 0, client.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(white);
    DeleteObject(grey);
    EndPaint(window, &paint);
}

void on_activate(HWND window) {
    EditorRecord* record = record_of(window);
    if (record == nullptr) {
        return;
    }
    activate_document_window(window, DocumentKind::program_editor);
    SetSaveEnabled(record->kind == static_cast<int>(FileKind::program) &&
                   SendMessageW(record->text_box, EM_GETMODIFY, 0, 0) != 0);
    SetFocus(record->text_box);
}

// The save prompt of a closing window; false when the window is to stay.
bool settle_unsaved_text(HWND window, const EditorRecord& record) {
    if (SendMessageW(record.text_box, EM_GETMODIFY, 0, 0) == 0) {
        return true;
    }
    return may_close_after_asking(window, "Save Changes to " + record.path + " ?", [&] {
        if (file_kind_of(record.path) == FileKind::program && !is_untitled_path(record.path)) {
            return SaveEditor(record.path, window, true);
        }
        const AppState& state = app_state();
        return state.save_as != nullptr && state.save_as(state.frame, window);
    });
}

bool on_close(HWND window) {
    EditorRecord* record = record_of(window);
    if (record == nullptr) {
        return true;
    }
    if (!settle_unsaved_text(window, *record)) {
        return false;
    }
    if (closing_last_document()) {
        SetSaveEnabled(false);
    }
    close_document_window(window);
    return true;
}

}  // namespace

HFONT calculator_font(int point_size) {
    HDC screen = GetDC(nullptr);
    const int height = -(GetDeviceCaps(screen, LOGPIXELSY) * point_size) / 72;
    ReleaseDC(nullptr, screen);
    // The font is symbol-encoded: its glyphs sit at U+F000 + byte, where the edit boxes keep
    // the calculator bytes (see edit_text.h); a symbol character set lets the font mapper
    // choose it by its face name.
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET,
                       OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY, VARIABLE_PITCH,
                       L"TM-QV7");
}

namespace {

// Where a new editor goes: beside the keyboard panel when it is open, else the whole client.
RECT new_editor_area() {
    const AppState& state = app_state();
    RECT area;
    GetClientRect(state.mdi_client, &area);
    if (state.keyboard_panel != nullptr) {
        RECT panel;
        GetWindowRect(state.keyboard_panel, &panel);
        area.left = panel.right - panel.left;
    }
    return area;
}

}  // namespace

HWND CreateEditor() {
    AppState& state = app_state();
    auto record = std::make_unique<EditorRecord>();
    record->mdi_client = state.mdi_client;
    record->path = untitled_name(untitled_counter, kModelDigit);
    const RECT area = new_editor_area();
    MDICREATESTRUCTA create{};
    create.szClass = "PCEdtWClass";
    create.szTitle = record->path.c_str();
    create.hOwner = state.instance;
    create.x = area.left;
    create.y = 0;
    create.cx = area.right - area.left;
    create.cy = area.bottom;
    create.style =
        WS_VISIBLE | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
    create.lParam = reinterpret_cast<LPARAM>(record.get());
    HWND window = reinterpret_cast<HWND>(
        SendMessageA(state.mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    if (window == nullptr) {
        return nullptr;
    }
    // The window owns its record from here; it is freed when the window is destroyed.
    record.release();
    ++untitled_counter;
    // The window menu got its list when the editor's activation set the document menu, before
    // the MDI client counted the new window; the list is built again so that it names it.
    SendMessageA(state.mdi_client, WM_MDIREFRESHMENU, 0, 0);
    DrawMenuBar(state.frame);
    return window;
}

void PlaceEditor(HWND editor) {
    const RECT area = new_editor_area();
    MoveWindow(editor, area.left, 0, area.right - area.left, area.bottom, TRUE);
}

bool LoadIntoEditor(const std::string& path, HWND editor) {
    EditorRecord* record = record_of(editor);
    if (record == nullptr) {
        return false;
    }
    const EditorLoad loaded = load_editor_file(real_file_system(), path);
    if (loaded.message != MessageId::none) {
        ReportError(app_state().frame, loaded.message);
        SendMessageA(editor, WM_CLOSE, 0, 0);
        return false;
    }
    SetWindowTextW(record->title_box, calculator_wide_text(loaded.content.title).c_str());
    replace_edit_selection(record->text_box, loaded.content.text, false);
    SendMessageW(record->text_box, EM_SETSEL, 0, 0);
    SendMessageW(record->text_box, EM_SCROLLCARET, 0, 0);
    SendMessageW(record->text_box, EM_SETMODIFY, FALSE, 0);
    SetWindowTextA(editor, path.c_str());
    record->path = path;
    record->calculator_name = loaded.content.calculator_name;
    record->lines = loaded.content.lines;
    record->kind = static_cast<int>(file_kind_of(path));
    return true;
}

bool SaveEditor(const std::string& path, HWND editor, bool keep_name) {
    EditorRecord* record = record_of(editor);
    if (record == nullptr) {
        return false;
    }
    const std::string text = edit_box_text(record->text_box);
    const std::string title = edit_box_text(record->title_box);
    EditorSave save;
    save.title = title;
    save.calculator_name = record->calculator_name;
    save.keep_name = keep_name;
    save.text = text;
    save.lines = &record->lines;
    const MessageId message = save_editor_file(real_file_system(), path, save);
    if (message != MessageId::none) {
        ReportError(editor, message);
        return false;
    }
    if (!keep_name) {
        record->calculator_name = name_field_from_path(path);
    }
    SendMessageW(record->text_box, EM_SETMODIFY, FALSE, 0);
    SetWindowTextA(editor, path.c_str());
    record->path = path;
    record->kind = static_cast<int>(file_kind_of(path));
    SetSaveEnabled(false);
    return true;
}

void SetEditorFont(HWND editor) {
    EditorRecord* record = record_of(editor);
    if (record == nullptr) {
        return;
    }
    HFONT old = record->font;
    record->font = calculator_font(kTextPointSizes[app_state().settings.font_size_index - 1]);
    set_font(record->text_box, record->font);
    if (old != nullptr) {
        DeleteObject(old);
    }
}

void InsertIntoActiveEditor(const std::string& calculator_text) {
    if (HWND box = editor_text_box(active_editor())) {
        replace_edit_selection(box, calculator_text, true);
        SetFocus(box);
    }
}

void FocusActiveEditor() {
    if (HWND box = editor_text_box(active_editor())) {
        SetFocus(box);
    }
}

HWND active_editor() {
    return reinterpret_cast<HWND>(app_state().documents.active(DocumentKind::program_editor));
}

std::string edit_box_text(HWND box) {
    const int length = GetWindowTextLengthW(box);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(box, text.data(), length + 1)));
    return from_edit_text(std::u16string(text.begin(), text.end()));
}

std::wstring calculator_wide_text(const std::string& calculator_text) {
    const std::u16string text = to_edit_text(calculator_text);
    return std::wstring(text.begin(), text.end());
}

void replace_edit_selection(HWND box, const std::string& calculator_text, bool can_undo) {
    const std::wstring text = calculator_wide_text(calculator_text);
    SendMessageW(box, EM_REPLACESEL, can_undo ? TRUE : FALSE,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

bool is_editor(HWND window) {
    char name[32] = {};
    return window != nullptr && GetClassNameA(window, name, sizeof name) > 0 &&
           std::string(name) == "PCEdtWClass" && record_of(window) != nullptr;
}

std::string editor_path(HWND editor) {
    const EditorRecord* record = editor != nullptr ? record_of(editor) : nullptr;
    return record != nullptr ? record->path : std::string();
}

int editor_kind(HWND editor) {
    const EditorRecord* record = editor != nullptr ? record_of(editor) : nullptr;
    return record != nullptr ? record->kind : 0;
}

HWND editor_text_box(HWND editor) {
    const EditorRecord* record = editor != nullptr ? record_of(editor) : nullptr;
    return record != nullptr ? record->text_box : nullptr;
}

HWND editor_title_box(HWND editor) {
    const EditorRecord* record = editor != nullptr ? record_of(editor) : nullptr;
    return record != nullptr ? record->title_box : nullptr;
}

void SetSaveEnabled(bool enabled) {
    AppState& state = app_state();
    state.save_enabled = enabled;
    EnableMenuItem(state.document_menu, IDM_SAVE,
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (state.refresh_toolbar != nullptr) {
        state.refresh_toolbar();
    }
}

LRESULT CALLBACK editor_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CREATE:
            if (!on_create(window, l)) {
                return -1;
            }
            break;
        case WM_SIZE:
            on_size(window, LOWORD(l), HIWORD(l));
            break;
        case WM_PAINT:
            on_paint(window);
            return 0;
        case WM_COMMAND:
            if (LOWORD(w) == kTextBoxId && HIWORD(w) == EN_CHANGE) {
                const EditorRecord* record = record_of(window);
                if (record != nullptr && record->kind == static_cast<int>(FileKind::program)) {
                    SetSaveEnabled(true);
                }
                return 0;
            }
            break;
        case WM_MDIACTIVATE:
            if (reinterpret_cast<HWND>(l) == window) {
                on_activate(window);
            }
            break;
        case WM_SETFOCUS:
            if (const EditorRecord* record = record_of(window)) {
                SetFocus(record->text_box);
                return 0;
            }
            break;
        case WM_CLOSE:
            return on_close(window) ? 1 : 0;
        case WM_NCDESTROY:
            // The record's fonts go with it.
            std::unique_ptr<EditorRecord>(record_of(window)).reset();
            SetWindowLongPtrA(window, 0, 0);
            break;
        default:
            break;
    }
    return DefMDIChildProcA(window, message, w, l);
}

}  // namespace travex::win32
