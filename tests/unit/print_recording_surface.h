#pragma once
// A PrintSurface that keeps every drawing call, with fixed metrics: the header font's letters are
// 30 pixels wide and its "A" 50 high; the body font's letters 60 wide and 100 high.
#include <string>
#include <vector>

#include "print/print_surface.h"

namespace travex::print {

struct Drawn {
    enum class Op { start_page, end_page, text, line, rectangle, bitmap };
    Op op = Op::start_page;
    PrintFont font = PrintFont::header;
    int x = 0, y = 0, x1 = 0, y1 = 0;  // text and positions; line/rectangle ends; bitmap size
    std::string text;
};

class RecordingSurface : public PrintSurface {
public:
    static constexpr int kHeaderHeight = 50;
    static constexpr int kHeaderAdvance = 30;
    static constexpr int kBodyHeight = 100;
    static constexpr int kBodyAdvance = 60;

    std::vector<Drawn> drawn;

    static Drawn call(Drawn::Op op, int x = 0, int y = 0, int x1 = 0, int y1 = 0) {
        Drawn d;
        d.op = op;
        d.x = x;
        d.y = y;
        d.x1 = x1;
        d.y1 = y1;
        return d;
    }

    int line_height(PrintFont font) override {
        return font == PrintFont::header ? kHeaderHeight : kBodyHeight;
    }
    int text_width(PrintFont font, std::string_view text) override {
        const int advance = font == PrintFont::header ? kHeaderAdvance : kBodyAdvance;
        return static_cast<int>(text.size()) * advance;
    }
    void start_page() override { drawn.push_back(call(Drawn::Op::start_page)); }
    void end_page() override { drawn.push_back(call(Drawn::Op::end_page)); }
    void text(PrintFont font, int x, int y, std::string_view text) override {
        Drawn d = call(Drawn::Op::text, x, y);
        d.font = font;
        d.text = std::string(text);
        drawn.push_back(d);
    }
    void line(int x0, int y0, int x1, int y1) override {
        drawn.push_back(call(Drawn::Op::line, x0, y0, x1, y1));
    }
    void rectangle(int left, int top, int right, int bottom) override {
        drawn.push_back(call(Drawn::Op::rectangle, left, top, right, bottom));
    }
    void bitmap(const MonoBitmap&, int, int, int, int, int x, int y, int w, int h) override {
        drawn.push_back(call(Drawn::Op::bitmap, x, y, w, h));
    }

    // The calls of one kind, in order.
    std::vector<Drawn> all(Drawn::Op op) const {
        std::vector<Drawn> out;
        for (const Drawn& d : drawn) {
            if (d.op == op) {
                out.push_back(d);
            }
        }
        return out;
    }
    // The calls between the n-th start_page (from 0) and its end_page.
    std::vector<Drawn> page(int n) const {
        std::vector<Drawn> out;
        int seen = -1;
        bool inside = false;
        for (const Drawn& d : drawn) {
            if (d.op == Drawn::Op::start_page) {
                inside = ++seen == n;
            } else if (d.op == Drawn::Op::end_page) {
                inside = false;
            } else if (inside) {
                out.push_back(d);
            }
        }
        return out;
    }
    int pages() const { return static_cast<int>(all(Drawn::Op::start_page).size()); }
};

}  // namespace travex::print
