// The About box: the picture of resource 165 with the version, the legal notice, the model and
// the product name written on it when the box opens.
#include <windows.h>

#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "frame/about_fit.h"
#include "frame/about_picture.h"
#include "frame/frame_win32.h"
#include "resources/resource_ids.h"

namespace travex::win32 {
namespace {

constexpr int kAboutDialog = IDD_ABOUT;
constexpr int kAboutPicture = IDB_ABOUT;

struct VersionStrings {
    std::string file_version;
    std::string legal_copyright;
};

VersionStrings read_version_strings() {
    VersionStrings strings;
    char path[MAX_PATH] = {};
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0) {
        return strings;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) {
        return strings;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data())) {
        return strings;
    }
    auto query = [&block](const char* key) {
        char* value = nullptr;
        UINT length = 0;
        const std::string sub = std::string("\\StringFileInfo\\040904b0\\") + key;
        if (!VerQueryValueA(block.data(), sub.c_str(), reinterpret_cast<void**>(&value), &length) ||
            value == nullptr) {
            return std::string();
        }
        return std::string(value);
    };
    strings.file_version = query("FileVersion");
    strings.legal_copyright = query("LegalCopyright");
    return strings;
}

std::optional<Bytes> picture_resource() {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(kAboutPicture), "BIN");
    if (found == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = LoadResource(nullptr, found);
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
    if (bytes == nullptr) {
        return std::nullopt;
    }
    return load_about_picture(std::span(bytes, SizeofResource(nullptr, found)));
}

HFONT about_font(int cell_height) {
    return CreateFontA(cell_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                       "Arial");
}

// The text's width in pixels at a cell height, in whatever face stands for Arial.
int text_width(HDC screen, const std::string& text, int cell_height) {
    HFONT font = about_font(cell_height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return extent.cx;
}

// Renders a text in Arial, black on white, into a 32-bit bottom-up block and stamps it.
void write_text(Bytes& picture, HDC screen, const std::string& text, const AboutText& where,
                std::uint8_t colour) {
    if (text.empty()) {
        return;
    }
    HFONT font = about_font(where.cell_height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old_font = SelectObject(dc, font);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = extent.cx;
    info.bmiHeader.biHeight = extent.cy;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP block = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (block != nullptr && bits != nullptr) {
        HGDIOBJ old_bitmap = SelectObject(dc, block);
        RECT all = {0, 0, extent.cx, extent.cy};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        TextOutA(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
        GdiFlush();
        const std::size_t size = static_cast<std::size_t>(extent.cx) * extent.cy * 4;
        stamp_text(
            picture,
            TextMask{extent.cx, extent.cy, std::span(static_cast<const std::uint8_t*>(bits), size)},
            where.x, where.y, colour);
        SelectObject(dc, old_bitmap);
        DeleteObject(block);
    }
    SelectObject(dc, old_font);
    DeleteDC(dc);
    DeleteObject(font);
}

HBITMAP make_about_bitmap(HWND dialog) {
    auto picture = picture_resource();
    if (!picture) {
        return nullptr;
    }
    const VersionStrings strings = read_version_strings();
    const std::uint8_t black = black_palette_index(*picture);
    HDC screen = GetDC(dialog);
    const auto texts = about_texts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        AboutText text = texts[i];
        std::string content(text.fixed_text);
        if (text.source == AboutTextSource::version) {
            content =
                strings.file_version.empty() ? std::string() : version_text(strings.file_version);
        } else if (text.source == AboutTextSource::legal_notice) {
            content = legal_notice_text(strings.legal_copyright);
        }
        // Measured and made smaller where the face is wider than the room on the picture.
        text.cell_height =
            fitted_cell_height(text.cell_height, about_text_room(texts, i),
                               [&](int height) { return text_width(screen, content, height); });
        const std::uint8_t colour =
            text.colour == kBlackIndex ? black : static_cast<std::uint8_t>(text.colour);
        write_text(*picture, screen, content, text, colour);
    }
    // The information header and palette, copied to aligned storage for the bitmap call.
    constexpr std::size_t kInfoSize = kAboutPixelOffset - 14;
    std::vector<std::uint32_t> info_words(kInfoSize / 4);
    std::memcpy(info_words.data(), picture->data() + 14, kInfoSize);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(info_words.data());
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT,
                                    picture->data() + kAboutPixelOffset, info, DIB_RGB_COLORS);
    ReleaseDC(dialog, screen);
    return bitmap;
}

void arrange(HWND dialog) {
    const int width = kAboutWidth + 2 * GetSystemMetrics(SM_CXDLGFRAME);
    const int height =
        kAboutHeight + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    MoveWindow(dialog, x, y, width, height, FALSE);
    MoveWindow(GetDlgItem(dialog, IDOK), 15, 240, 60, 25, FALSE);
}

INT_PTR CALLBACK about_procedure(HWND dialog, UINT message, WPARAM w, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            arrange(dialog);
            SetWindowLongPtrA(dialog, DWLP_USER,
                              reinterpret_cast<LONG_PTR>(make_about_bitmap(dialog)));
            return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(dialog, &paint);
            auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrA(dialog, DWLP_USER));
            if (bitmap != nullptr) {
                HDC memory = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(memory, bitmap);
                BitBlt(dc, 0, 0, kAboutWidth, kAboutHeight, memory, 0, 0, SRCCOPY);
                SelectObject(memory, old);
                DeleteDC(memory);
            }
            EndPaint(dialog, &paint);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL) {
                DeleteObject(reinterpret_cast<HBITMAP>(GetWindowLongPtrA(dialog, DWLP_USER)));
                SetWindowLongPtrA(dialog, DWLP_USER, 0);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

void ShowAbout(HWND owner) {
    DialogBoxParamA(app_state().instance, MAKEINTRESOURCEA(kAboutDialog), owner, about_procedure,
                    0);
}

}  // namespace travex::win32
