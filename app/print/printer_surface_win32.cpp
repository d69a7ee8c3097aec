#include "print/printer_surface_win32.h"

#include <vector>

namespace travex::print {
namespace {

// Calculator text as the calculator font takes it, the same way the editor shows it: ASCII as
// itself, each glyph byte b as U+F000 + b, which the font maps whatever the code page.
std::wstring symbol_text(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        wide.push_back(static_cast<wchar_t>(byte < 0x80 ? byte : 0xF000 + byte));
    }
    return wide;
}

// The header's font: the context's default font, unless that is a bitmap font. A PostScript
// driver can print a bitmap font only as pictures of its characters, so the header lines
// would not be text in the printed file (not searchable, not copyable); an outline font of the
// same cell height is used instead. Null when the default serves.
HFONT outline_header_font(HDC dc) {
    TEXTMETRICA metrics = {};
    if (!GetTextMetricsA(dc, &metrics) ||
        (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE | TMPF_DEVICE)) != 0) {
        return nullptr;
    }
    return CreateFontA(metrics.tmHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, "Courier New");
}

}  // namespace

PageDescription device_page(HDC dc) {
    PageDescription page;
    page.width = GetDeviceCaps(dc, HORZRES);
    page.height = GetDeviceCaps(dc, VERTRES);
    page.dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
    page.dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
    HDC screen = GetDC(nullptr);
    page.screen_dpi_x = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return page;
}

HFONT printer_body_font(HDC dc) {
    const int height = -(GetDeviceCaps(dc, LOGPIXELSY) * 12 / 72);
    // The font is symbol-encoded; a symbol character set lets the font mapper choose it by its
    // face name, as the editor's fonts do.
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET,
                       OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                       VARIABLE_PITCH | FF_DONTCARE, "TM-QV7");
}

GdiSurface::GdiSurface(HDC dc, HFONT body_font, bool pages_by_caller)
    : dc_(dc),
      body_font_(body_font),
      default_font_(GetCurrentObject(dc, OBJ_FONT)),
      outline_header_font_(outline_header_font(dc)),
      pages_by_caller_(pages_by_caller) {
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, GetSysColor(COLOR_WINDOWTEXT));
    SetTextAlign(dc_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
}

GdiSurface::~GdiSurface() {
    SelectObject(dc_, default_font_);
    if (outline_header_font_ != nullptr) {
        DeleteObject(outline_header_font_);
    }
}

void GdiSurface::select(PrintFont font) {
    if (font == PrintFont::body && body_font_ != nullptr) {
        SelectObject(dc_, body_font_);
    } else if (outline_header_font_ != nullptr) {
        SelectObject(dc_, outline_header_font_);
    } else {
        SelectObject(dc_, default_font_);
    }
}

int GdiSurface::line_height(PrintFont font) {
    select(font);
    SIZE size{};
    if (font == PrintFont::body) {
        const std::wstring a = symbol_text("A");
        GetTextExtentPoint32W(dc_, a.c_str(), 1, &size);
    } else {
        GetTextExtentPoint32A(dc_, "A", 1, &size);
    }
    return size.cy;
}

int GdiSurface::text_width(PrintFont font, std::string_view text) {
    select(font);
    int width = 0;
    for (const char c : text) {
        SIZE size{};
        if (font == PrintFont::body) {
            const std::wstring one = symbol_text(std::string_view(&c, 1));
            GetTextExtentPoint32W(dc_, one.c_str(), 1, &size);
        } else {
            GetTextExtentPoint32A(dc_, &c, 1, &size);
        }
        width += size.cx;
    }
    return width;
}

void GdiSurface::start_page() {
    if (!pages_by_caller_ && StartPage(dc_) <= 0) {
        ok_ = false;
    }
    // Some drivers reset the context's attributes at every page.
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, GetSysColor(COLOR_WINDOWTEXT));
    SetTextAlign(dc_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
}

void GdiSurface::end_page() {
    select(PrintFont::header);
    if (!pages_by_caller_ && EndPage(dc_) <= 0) {
        ok_ = false;
    }
    ++pages_;
}

void GdiSurface::text(PrintFont font, int x, int y, std::string_view text) {
    if (text.empty()) {
        return;
    }
    select(font);
    // Each character at the advance the layout measured, so the page matches its arithmetic.
    std::vector<INT> advances;
    advances.reserve(text.size());
    for (const char c : text) {
        advances.push_back(text_width(font, std::string_view(&c, 1)));
    }
    select(font);
    if (font == PrintFont::body) {
        const std::wstring wide = symbol_text(text);
        ExtTextOutW(dc_, x, y, 0, nullptr, wide.c_str(), static_cast<UINT>(wide.size()),
                    advances.data());
    } else {
        ExtTextOutA(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()),
                    advances.data());
    }
}

void GdiSurface::line(int x0, int y0, int x1, int y1) {
    MoveToEx(dc_, x0, y0, nullptr);
    LineTo(dc_, x1, y1);
}

void GdiSurface::rectangle(int left, int top, int right, int bottom) {
    Rectangle(dc_, left, top, right, bottom);
}

void GdiSurface::bitmap(const MonoBitmap& picture, int sx, int sy, int sw, int sh, int x, int y,
                        int w, int h) {
    if (sw <= 0 || sh <= 0) {
        return;
    }
    // The source rectangle as a top-down 1-bit DIB of its own: white 0, black 1.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = sw;
    info.header.biHeight = -sh;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.colours[0] = {0xFF, 0xFF, 0xFF, 0};
    info.colours[1] = {0, 0, 0, 0};
    const std::size_t stride = static_cast<std::size_t>((sw + 31) / 32) * 4;
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(sh), 0);
    for (int row = 0; row < sh; ++row) {
        for (int column = 0; column < sw; ++column) {
            if (picture.dark(sx + column, sy + row)) {
                rows[row * stride + column / 8] |= static_cast<std::uint8_t>(0x80 >> (column % 8));
            }
        }
    }
    SetStretchBltMode(dc_, COLORONCOLOR);
    StretchDIBits(dc_, x, y, w, h, 0, 0, sw, sh, rows.data(),
                  reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace travex::print
