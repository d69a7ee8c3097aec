// The slide show window: every page of a slide show as a numbered page window at its real size,
// flowing in rows through the page area and scrolled a row at a time, below the title field
// that Save As writes into the copy.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "editor/editor_win32.h"
#include "files/file_messages.h"
#include "frame/frame_win32.h"
#include "frame/slide_show_win32.h"
#include "image/screen_bitmap.h"
#include "resources/string_table.h"
#include "slideshow/slide_layout.h"
#include "slideshow/slide_show.h"
#include "window/document_window_win32.h"

namespace travex::win32 {
namespace {

constexpr int kTitlePointSize = 12;
constexpr char kModelDigit = '6';

// One page window: its page as a 1-bit bitmap (colour 0 white, colour 1 black) selected into
// a memory device context, and its number from 1. The slide show's record owns it.
struct PageRecord {
    int number = 0;
    image::ScreenData screen;  // kept for printing
    HBITMAP bitmap = nullptr;
    HDC memory = nullptr;
    HGDIOBJ old_bitmap = nullptr;

    PageRecord() = default;
    PageRecord(const PageRecord&) = delete;
    PageRecord& operator=(const PageRecord&) = delete;
    ~PageRecord() {
        if (memory != nullptr) {
            SelectObject(memory, old_bitmap);
            DeleteDC(memory);
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }
};

struct SlideShowRecord {
    std::string path;
    slides::SlideShow show;  // held only until the page windows are made
    HWND title_box = nullptr;
    HWND page_area = nullptr;
    HWND scroll_bar = nullptr;
    std::vector<HWND> pages;
    std::vector<std::unique_ptr<PageRecord>> page_records;  // outlive their windows
    HFONT title_font = nullptr;
    bool owned_by_window = false;  // set once the window is made; until then the opener owns it
    int row_width = 0;
    int rows = 0;
    int top_row = 0;

    SlideShowRecord() = default;
    SlideShowRecord(const SlideShowRecord&) = delete;
    SlideShowRecord& operator=(const SlideShowRecord&) = delete;
    ~SlideShowRecord() {
        if (title_font != nullptr) {
            DeleteObject(title_font);
        }
    }
};

SlideShowRecord* record_of(HWND window) {
    return reinterpret_cast<SlideShowRecord*>(GetWindowLongPtrA(window, 0));
}

PageRecord* page_record_of(HWND page) {
    return reinterpret_cast<PageRecord*>(GetWindowLongPtrA(page, 0));
}

HMENU child_id(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

// The page's bitmap in a memory device context; false when the system has no room for it.
bool make_page_bitmap(PageRecord& page, const slides::DecodedPage& decoded) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = image::kWideWidth;
    info.header.biHeight = image::kScreenHeight;  // rows bottom-up, as unframed_pixels gives
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.colours[0] = RGBQUAD{255, 255, 255, 0};
    info.colours[1] = RGBQUAD{0, 0, 0, 0};
    void* bits = nullptr;
    page.bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
    if (page.bitmap == nullptr || bits == nullptr) {
        return false;
    }
    const Bytes pixels = image::unframed_pixels(decoded.screen_data());
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint8_t*>(bits));
    GdiFlush();
    page.memory = CreateCompatibleDC(nullptr);
    if (page.memory == nullptr) {
        return false;
    }
    page.old_bitmap = SelectObject(page.memory, page.bitmap);
    return true;
}

HWND create_page_window(HWND page_area, PageRecord& page) {
    return CreateWindowExA(0, "PCSldCClass", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                           slides::kCellWidth, slides::kCellHeight, page_area,
                           child_id(1000 + page.number), app_state().instance, &page);
}

bool create_children(HWND window, SlideShowRecord& record) {
    AppState& state = app_state();
    record.title_box = CreateWindowExW(
        0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_NOHIDESEL,
        slides::kTitleX, slides::kTitleY, 100, 20, window, child_id(kSlideTitleBoxId),
        state.instance, nullptr);
    record.page_area =
        CreateWindowExA(0, "PCSldIClass", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 30,
                        100, 100, window, child_id(kSlidePageAreaId), state.instance, nullptr);
    record.scroll_bar = CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT,
                                        100, 30, GetSystemMetrics(SM_CXVSCROLL), 100, window,
                                        child_id(kSlideScrollBarId), state.instance, nullptr);
    if (record.title_box == nullptr || record.page_area == nullptr ||
        record.scroll_bar == nullptr) {
        return false;
    }
    record.title_font = calculator_font(kTitlePointSize);
    SendMessageW(record.title_box, WM_SETFONT, reinterpret_cast<WPARAM>(record.title_font), FALSE);
    SendMessageW(record.title_box, EM_LIMITTEXT, slides::kTitleLength, 0);
    SetWindowTextW(record.title_box, calculator_wide_text(record.show.title_text()).c_str());
    int number = 1;
    for (const slides::Page& page : record.show.pages) {
        auto page_record = std::make_unique<PageRecord>();
        page_record->number = number++;
        page_record->screen = page.decoded.screen_data();
        if (!make_page_bitmap(*page_record, page.decoded)) {
            return false;
        }
        HWND page_window = create_page_window(record.page_area, *page_record);
        if (page_window == nullptr) {
            return false;
        }
        record.page_records.push_back(std::move(page_record));
        record.pages.push_back(page_window);
    }
    // The pages live in their windows from here on.
    record.show.pages.clear();
    record.show.pages.shrink_to_fit();
    return true;
}

void place_pages(const SlideShowRecord& record) {
    for (std::size_t i = 0; i < record.pages.size(); ++i) {
        const slides::Rect cell = slides::page_cell(i, record.row_width, record.top_row);
        MoveWindow(record.pages[i], cell.x, cell.y, cell.width, cell.height, FALSE);
    }
    // The pages moved without drawing; the area and every page are drawn once, afresh.
    RedrawWindow(record.page_area, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void show_row(SlideShowRecord& record, int row) {
    record.top_row = row;
    SetScrollPos(record.scroll_bar, SB_CTL, row, TRUE);
    place_pages(record);
}

int title_text_height(const SlideShowRecord& record) {
    HDC dc = GetDC(record.title_box);
    HGDIOBJ old = SelectObject(dc, record.title_font);
    SIZE letter{};
    GetTextExtentPoint32A(dc, "A", 1, &letter);
    SelectObject(dc, old);
    ReleaseDC(record.title_box, dc);
    return letter.cy;
}

void on_size(HWND window, int width, int height) {
    SlideShowRecord* record = record_of(window);
    if (record == nullptr) {
        return;
    }
    const slides::WindowLayout layout = slides::layout_window(
        width, height, title_text_height(*record), GetSystemMetrics(SM_CXVSCROLL));
    auto move = [](HWND child, const slides::Rect& r) {
        MoveWindow(child, r.x, r.y, r.width, r.height, TRUE);
    };
    move(record->title_box, layout.title);
    move(record->page_area, layout.pages);
    move(record->scroll_bar, layout.scroll_bar);
    record->row_width = layout.pages.width;
    record->rows = slides::row_count(record->pages.size(), record->row_width);
    SetScrollRange(record->scroll_bar, SB_CTL, 0, record->rows > 0 ? record->rows - 1 : 0, FALSE);
    show_row(*record, 0);
    InvalidateRect(window, nullptr, TRUE);
}

slides::ScrollRequest scroll_request(WORD code) {
    using enum slides::ScrollRequest;
    switch (code) {
        case SB_LINEUP:
            return line_up;
        case SB_LINEDOWN:
            return line_down;
        case SB_PAGEUP:
            return page_up;
        case SB_PAGEDOWN:
            return page_down;
        case SB_THUMBPOSITION:
            return thumb;
        case SB_TOP:
            return top;
        case SB_BOTTOM:
            return bottom;
        default:
            return other;
    }
}

void on_scroll(HWND window, WPARAM w) {
    SlideShowRecord* record = record_of(window);
    if (record == nullptr) {
        return;
    }
    const auto row = slides::scrolled_row(record->top_row, record->rows, scroll_request(LOWORD(w)),
                                          static_cast<short>(HIWORD(w)));
    if (row) {
        show_row(*record, *row);
    }
}

void paint_caption(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, slides::kCaptionX, slides::kCaptionY, "Title:", 6);
    EndPaint(window, &paint);
}

bool on_create(HWND window, LPARAM l) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
    const auto* mdi = reinterpret_cast<const MDICREATESTRUCTA*>(create->lpCreateParams);
    auto* record = reinterpret_cast<SlideShowRecord*>(mdi->lParam);
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(record));
    if (!create_children(window, *record)) {
        return false;
    }
    enter_document_window(window, DocumentKind::slide_show);
    return true;
}

void on_activate(HWND window) {
    activate_document_window(window, DocumentKind::slide_show);
    // Save writes program editors only.
    SetSaveEnabled(false);
}

void paint_page(HWND page) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    const PageRecord* record = page_record_of(page);
    RECT client;
    GetClientRect(page, &client);
    if (record != nullptr) {
        BitBlt(dc, slides::kPageInset, slides::kPageInset, image::kWideWidth, image::kScreenHeight,
               record->memory, 0, 0, SRCCOPY);
        char number[24];
        const int length = wsprintfA(number, "No.%d", record->number);
        SetBkMode(dc, TRANSPARENT);
        const int centre = client.bottom - slides::kNumberAboveBottom;
        RECT line = {0, centre - 10, client.right, centre + 10};
        DrawTextA(dc, number, length, &line, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    // The raised edge: white top and left lines, grey bottom and right lines.
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
    EndPaint(page, &paint);
}

}  // namespace

HWND OpenSlideShow(HWND frame, const std::string& path) {
    const std::optional<Bytes> file = real_file_system().read_file(path);
    if (!file) {
        ReportError(frame, MessageId::file_access_failed);
        return nullptr;
    }
    slides::ShowRead read = slides::read_slide_show(*file, image::extension_digit(path));
    if (read.message != MessageId::none) {
        ReportError(frame, read.message);
        return nullptr;
    }
    AppState& state = app_state();
    auto record = std::make_unique<SlideShowRecord>();
    record->path = path;
    record->show = std::move(read.show);
    RECT area;
    GetClientRect(state.mdi_client, &area);
    MDICREATESTRUCTA create{};
    create.szClass = "PCSldWClass";
    create.szTitle = path.c_str();
    create.hOwner = state.instance;
    create.x = 0;
    create.y = 0;
    create.cx = area.right;
    create.cy = area.bottom;
    // The window's own background stays out of its page area, so redrawing the caption never
    // paints over the pages.
    create.style = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                   WS_THICKFRAME | WS_MINIMIZEBOX;
    create.lParam = reinterpret_cast<LPARAM>(record.get());
    HWND window = reinterpret_cast<HWND>(
        SendMessageA(state.mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    if (window == nullptr) {
        // Nothing of the show stays: the record, its pages and bitmaps go here.
        ReportError(frame, MessageId::no_memory);
        return nullptr;
    }
    record->owned_by_window = true;
    record.release();  // freed with the window
    return window;
}

bool SaveSlideShowAs(HWND window, const std::string& path) {
    SlideShowRecord* record = record_of(window);
    if (record == nullptr) {
        return false;
    }
    const std::string title = edit_box_text(record->title_box);
    const slides::SaveOutcome saved =
        slides::save_copy(real_file_system(), record->path, path, title, kModelDigit);
    if (!saved.written) {
        ReportError(window, saved.message);
        return false;
    }
    record->path = path;
    SetWindowTextA(window, path.c_str());
    return true;
}

bool is_slide_show(HWND window) {
    char name[32] = {};
    return window != nullptr && GetClassNameA(window, name, sizeof name) > 0 &&
           std::string(name) == "PCSldWClass" && record_of(window) != nullptr;
}

HWND slide_show_title_box(HWND window) {
    const SlideShowRecord* record = is_slide_show(window) ? record_of(window) : nullptr;
    return record != nullptr ? record->title_box : nullptr;
}

std::optional<SlideShowContents> slide_show_contents(HWND window) {
    const SlideShowRecord* record = is_slide_show(window) ? record_of(window) : nullptr;
    if (record == nullptr) {
        return std::nullopt;
    }
    SlideShowContents contents;
    contents.path = record->path;
    contents.title = edit_box_text(record->title_box);
    for (const auto& page : record->page_records) {
        contents.pages.push_back(page->screen);
    }
    return contents;
}

LRESULT CALLBACK slide_show_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
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
            paint_caption(window);
            return 0;
        case WM_VSCROLL:
            on_scroll(window, w);
            return 0;
        case WM_MDIACTIVATE:
            if (reinterpret_cast<HWND>(l) == window) {
                on_activate(window);
            }
            break;
        case WM_SETFOCUS:
            if (const SlideShowRecord* record = record_of(window)) {
                SetFocus(record->title_box);
                return 0;
            }
            break;
        case WM_CLOSE:
            close_document_window(window);
            return 1;
        case WM_NCDESTROY:
            if (SlideShowRecord* record = record_of(window); record && record->owned_by_window) {
                std::unique_ptr<SlideShowRecord>(record).reset();
            }
            SetWindowLongPtrA(window, 0, 0);
            break;
        default:
            break;
    }
    return DefMDIChildProcA(window, message, w, l);
}

LRESULT CALLBACK slide_page_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
            SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_PAINT:
            paint_page(window);
            return 0;
        case WM_NCDESTROY:
            // The slide show's record owns the page record.
            SetWindowLongPtrA(window, 0, 0);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, w, l);
}

}  // namespace travex::win32
