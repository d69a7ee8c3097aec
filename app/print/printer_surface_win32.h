#pragma once
// The page layouts on a Windows device context: a printer's, or any other (a metafile or a
// memory bitmap) when the caller handles the pages itself.
#include <windows.h>

#include <string>

#include "print/page_layout.h"

namespace travex::print {

// The page of a device context: its resolution and size in pixels, and the screen's
// horizontal pixels per inch.
PageDescription device_page(HDC dc);

class GdiSurface : public PrintSurface {
public:
    // body_font is the calculator font at 12 points for this context; the surface does not own
    // it. Pages go through StartPage/EndPage unless pages_by_caller is set.
    GdiSurface(HDC dc, HFONT body_font, bool pages_by_caller = false);
    ~GdiSurface() override;
    GdiSurface(const GdiSurface&) = delete;
    GdiSurface& operator=(const GdiSurface&) = delete;

    int line_height(PrintFont font) override;
    int text_width(PrintFont font, std::string_view text) override;
    void start_page() override;
    void end_page() override;
    void text(PrintFont font, int x, int y, std::string_view text) override;
    void line(int x0, int y0, int x1, int y1) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void bitmap(const MonoBitmap& picture, int sx, int sy, int sw, int sh, int x, int y, int w,
                int h) override;

    // False once StartPage or EndPage failed (the printer went away, the spooler refused).
    bool ok() const { return ok_; }
    int pages() const { return pages_; }

private:
    void select(PrintFont font);

    HDC dc_;
    HFONT body_font_;
    HGDIOBJ default_font_;
    HFONT outline_header_font_;  // owned; null when the default font serves for the header
    bool pages_by_caller_;
    bool ok_ = true;
    int pages_ = 0;
};

// The calculator font at 12 points for a device context: height −(vertical pixels per inch ×
// 12 ÷ 72), width 0. The caller deletes it.
HFONT printer_body_font(HDC dc);

}  // namespace travex::print
