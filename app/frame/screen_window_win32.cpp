// Screen image windows: a captured calculator screen, a picture file or a bitmap file shown in
// an MDI child (PCScrWClass) whose picture child (PCImgWClass) draws it at the chosen zoom.
// The window copies its picture to the clipboard, saves it as a bitmap file and asks before a
// capture that was never saved is closed.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "base/file_system.h"
#include "codec/token_tables.h"
#include "editor/editor_win32.h"
#include "files/file_messages.h"
#include "frame/frame_win32.h"
#include "frame/link_shell_win32.h"
#include "image/screen_bitmap.h"
#include "image/screen_data.h"
#include "image/screen_window_layout.h"
#include "window/document_window_win32.h"

namespace travex::win32 {
namespace {

constexpr int kZoomListId = 100;
constexpr int kZoomCaptionId = 101;
constexpr int kPaneId = 102;

struct ScreenRecord {
    HWND pane = nullptr;
    HWND zoom_list = nullptr;
    HWND caption = nullptr;
    image::ScreenImage picture;
    int zoom = image::kDefaultZoomEntry;
    std::array<std::uint8_t, 2> variable_code{};
};

image::CaptureTitles capture_titles;

ScreenRecord* record_of(HWND window) {
    return reinterpret_cast<ScreenRecord*>(GetWindowLongPtrA(window, 0));
}

// The framed picture as a device-independent bitmap header with its two colours.
struct DibHeader {
    BITMAPINFOHEADER info;
    RGBQUAD colours[2];
};

DibHeader dib_header(const image::ScreenImage& picture) {
    DibHeader header{};
    header.info.biSize = sizeof(BITMAPINFOHEADER);
    header.info.biWidth = picture.framed_width();
    header.info.biHeight = image::kFramedHeight;
    header.info.biPlanes = 1;
    header.info.biBitCount = 1;
    header.info.biCompression = BI_RGB;
    header.colours[0] = {255, 255, 255, 0};
    header.colours[1] = {0, 0, 0, 0};
    return header;
}

void paint_pane(HWND pane) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(pane, &paint);
    const ScreenRecord* record = record_of(GetParent(pane));
    if (record != nullptr && !record->picture.pixels.empty()) {
        const image::PictureRect at = image::zoom_placement(record->picture.width, record->zoom);
        DibHeader header = dib_header(record->picture);
        SetStretchBltMode(dc, COLORONCOLOR);
        // Rows are stored bottom-up: the picture inside the frame starts one row and one
        // column in from the bottom left.
        StretchDIBits(dc, at.x, at.y, at.width, at.height, 1, 1, record->picture.width,
                      image::kScreenHeight, record->picture.pixels.data(),
                      reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, SRCCOPY);
    }
    EndPaint(pane, &paint);
}

void layout(HWND window, int width, int height) {
    ScreenRecord* record = record_of(window);
    if (record == nullptr) {
        return;
    }
    MoveWindow(record->pane, 0, 0, width, height - image::kZoomBandHeight, TRUE);
    const int list_x = (width - image::kZoomListWidth) / 2;
    const int list_y = height - image::kZoomListRaise;
    MoveWindow(record->zoom_list, list_x, list_y, image::kZoomListWidth, 160, TRUE);
    MoveWindow(record->caption, (width - 200) / 2, list_y - 20, 200, 16, TRUE);
}

bool on_create(HWND window, LPARAM l) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
    const auto* mdi = reinterpret_cast<const MDICREATESTRUCTA*>(create->lpCreateParams);
    auto* record = reinterpret_cast<ScreenRecord*>(mdi->lParam);
    const AppState& state = app_state();
    record->pane = CreateWindowExA(0, "PCImgWClass", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                   window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPaneId)),
                                   state.instance, nullptr);
    record->caption = CreateWindowExA(0, "STATIC", std::string(image::kZoomCaption).c_str(),
                                      WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 10, 10, window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kZoomCaptionId)),
                                      state.instance, nullptr);
    record->zoom_list = CreateWindowExA(
        0, "COMBOBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 10, 10,
        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kZoomListId)), state.instance,
        nullptr);
    if (record->pane == nullptr || record->zoom_list == nullptr) {
        return false;
    }
    for (const std::string_view entry : image::kZoomEntries) {
        const std::string text(entry);
        SendMessageA(record->zoom_list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(record->zoom_list, CB_SETCURSEL, image::kDefaultZoomEntry, 0);
    const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(record->zoom_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(record->caption, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    enter_document_window(window, DocumentKind::screen_image);
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(record));
    return true;
}

bool on_close(HWND window) {
    const std::string title = [&] {
        char text[300] = {};
        GetWindowTextA(window, text, sizeof text);
        return std::string(text);
    }();
    if (image::asks_to_save_on_close(title) &&
        !may_close_after_asking(window, image::save_question(title),
                                [&] { return save_as_command(app_state().frame, window); })) {
        return false;
    }
    close_document_window(window);
    return true;
}

bool open_window(std::unique_ptr<ScreenRecord> record, const std::string& title) {
    AppState& state = app_state();
    const image::WindowSize size = image::screen_window_size(record->picture.width);
    MDICREATESTRUCTA create{};
    create.szClass = "PCScrWClass";
    create.szTitle = title.c_str();
    create.hOwner = state.instance;
    create.x = CW_USEDEFAULT;
    create.y = CW_USEDEFAULT;
    create.cx = size.width;
    create.cy = size.height;
    create.style = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    create.lParam = reinterpret_cast<LPARAM>(record.get());
    HWND window = reinterpret_cast<HWND>(
        SendMessageA(state.mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    if (window == nullptr) {
        return false;
    }
    record.release();  // the window owns its record from here
    return true;
}

std::optional<Bytes> read_whole(HWND frame, const std::string& path) {
    auto bytes = real_file_system().read_file(path);
    if (!bytes) {
        ReportError(frame, MessageId::file_access_failed);
    }
    return bytes;
}

}  // namespace

bool OpenCapturedScreen(const Bytes& payload, const std::uint8_t identifier[2]) {
    auto record = std::make_unique<ScreenRecord>();
    const int width = image::capture_width(std::span<const std::uint8_t>(identifier, 2));
    // A short capture leaves the rest of the screen blank (screen_from_capture).
    record->picture = image::frame_screen(image::screen_from_capture(payload, width));
    return open_window(std::move(record), capture_titles.next());
}

bool OpenPictureFile(HWND frame, const std::string& path) {
    const auto bytes = read_whole(frame, path);
    if (!bytes) {
        return false;
    }
    const image::PictureFile picture =
        image::read_picture_file(*bytes, image::extension_digit(path));
    if (picture.message != MessageId::none) {
        ReportError(frame, picture.message);
        return false;
    }
    auto record = std::make_unique<ScreenRecord>();
    record->picture = image::frame_screen(picture.screen);
    record->variable_code = picture.variable_code;
    if (!open_window(std::move(record), path)) {
        ReportError(frame, MessageId::no_memory);
        return false;
    }
    return true;
}

bool OpenBitmapFile(HWND frame, const std::string& path) {
    const auto bytes = read_whole(frame, path);
    if (!bytes) {
        return false;
    }
    const image::BitmapRead read = image::read_bitmap_file(*bytes);
    if (read.message != MessageId::none) {
        ReportError(frame, read.message);
        return false;
    }
    auto record = std::make_unique<ScreenRecord>();
    record->picture = read.image;
    if (!open_window(std::move(record), path)) {
        ReportError(frame, MessageId::no_memory);
        return false;
    }
    return true;
}

bool is_screen_window(HWND window) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "PCScrWClass") == 0;
}

void CopyScreenImage(HWND window) {
    const ScreenRecord* record = record_of(window);
    if (record == nullptr || !OpenClipboard(window)) {
        return;
    }
    EmptyClipboard();
    const Bytes dib = image::packed_dib(record->picture);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, dib.size())) {
        if (void* target = GlobalLock(memory)) {
            std::memcpy(target, dib.data(), dib.size());
            GlobalUnlock(memory);
            if (SetClipboardData(CF_DIB, memory) == nullptr) {
                GlobalFree(memory);
            }
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

bool SaveScreenImage(HWND window, const std::string& path) {
    const ScreenRecord* record = record_of(window);
    if (record == nullptr) {
        return false;
    }
    const MessageId message = image::save_bitmap_file(real_file_system(), path, record->picture);
    if (message != MessageId::none) {
        ReportError(window, message);
        return false;
    }
    SetWindowTextA(window, path.c_str());
    return true;
}

LRESULT CALLBACK screen_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CREATE:
            return on_create(window, l) ? 0 : -1;
        case WM_SIZE:
            layout(window, LOWORD(l), HIWORD(l));
            break;
        case WM_COMMAND:
            if (LOWORD(w) == kZoomListId && HIWORD(w) == CBN_SELCHANGE) {
                if (ScreenRecord* record = record_of(window)) {
                    const LRESULT zoom = SendMessageA(record->zoom_list, CB_GETCURSEL, 0, 0);
                    record->zoom =
                        zoom == CB_ERR ? image::kDefaultZoomEntry : static_cast<int>(zoom);
                    InvalidateRect(record->pane, nullptr, TRUE);
                }
                return 0;
            }
            break;
        case WM_COPY:
            CopyScreenImage(window);
            return 0;
        case WM_MDIACTIVATE:
            if (reinterpret_cast<HWND>(l) == window) {
                activate_document_window(window, DocumentKind::screen_image);
                SetSaveEnabled(false);
            }
            break;
        case WM_CLOSE:
            return on_close(window) ? 1 : 0;
        case WM_NCDESTROY:
            std::unique_ptr<ScreenRecord>(record_of(window)).reset();
            SetWindowLongPtrA(window, 0, 0);
            break;
        default:
            break;
    }
    return DefMDIChildProcA(window, message, w, l);
}

LRESULT CALLBACK picture_pane_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_PAINT) {
        paint_pane(window);
        return 0;
    }
    return DefWindowProcA(window, message, w, l);
}

std::optional<print::PrintLayout> ScreenImagePrintLayout(HWND window) {
    const ScreenRecord* record = record_of(window);
    if (record == nullptr || record->picture.pixels.empty()) {
        return std::nullopt;
    }
    char title[MAX_PATH] = {};
    GetWindowTextA(window, title, sizeof title);
    const auto code =
        static_cast<std::uint16_t>(record->variable_code[1] << 8 | record->variable_code[0]);
    // A capture or a bitmap has no variable; a picture file prints its name under the picture.
    std::string name = code == 0 ? std::string() : std::string(variable_name(code));
    return print::picture_layout(title, record->picture.pixels, record->picture.framed_width(),
                                 image::kFramedHeight, record->zoom, std::move(name));
}

}  // namespace travex::win32
