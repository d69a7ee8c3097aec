// Looks at what TRAVEX.exe draws, for the Wine test of its drawing. Each command prints what it
// found and exits 0 when the expectation holds, 1 when it does not.
//
//   drawing_driver sweep X0 X1 NAME MOST
//                                     moves the pointer over the toolbar from x X0 to X1 (at y
//                                     12), one pixel a step; the label must read NAME and show no
//                                     pixel of a button picture after the toolbar repaints; the
//                                     label may change (text, place, size) at most MOST times,
//                                     and its text keeps clear of its sides
//   drawing_driver rect WHAT          screen rectangle "WxH+X+Y" of the toolbar, the keyboard
//                                     panel, the editor, the function-table window or the About
//                                     box
//   drawing_driver func COMMAND LIST POS   opens a function group and selects a line
//   drawing_driver about MS           opens the About box and waits for it
//   drawing_driver about-close        closes it
//   drawing_driver caption            the editor's close button shows a cross (the Marlett
//                                     glyph), not the letter "r" of a stand-in font
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_support.h"

namespace {

using driver::fail;
using driver::find_dialog;
using driver::find_frame;
using driver::wait_for;
using driver::window_text;

HWND find_toolbar() {
    return FindWindowExA(find_frame(), nullptr, "PCTolWClass", nullptr);
}

HWND find_mdi_child(const char* window_class) {
    HWND mdi = FindWindowExA(find_frame(), nullptr, "MDICLIENT", nullptr);
    return FindWindowExA(mdi, nullptr, window_class, nullptr);
}

// Lets the application finish painting: a message sent to it returns only after its queue got
// there, and a short pause covers the X server.
void settle(HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    Sleep(300);
}

// A shorter settling between the steps of a sweep.
void settle_step(HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    Sleep(20);
}

// A pixel of a button picture: the pictures are the only coloured things on the strip; the
// label itself is grey with black or grey text.
bool coloured(COLORREF pixel) {
    const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
    return std::abs(r - g) > 40 || std::abs(g - b) > 40 || std::abs(r - b) > 40;
}

int sweep(int from, int to, const std::string& name, int most_changes) {
    HWND toolbar = find_toolbar();
    HWND label = GetDlgItem(toolbar, 60);
    if (toolbar == nullptr || label == nullptr) {
        return fail("no toolbar with its hover label");
    }
    // Each step is a mouse move as the pointer makes it. A label that is set again (text,
    // place or size) has something to repaint when the move has been handled.
    const int step = from <= to ? 1 : -1;
    int label_changes = 0;
    for (int x = from; x != to + step; x += step) {
        SendMessageA(toolbar, WM_MOUSEMOVE, 0, MAKELPARAM(x, 12));
        label_changes += GetUpdateRect(label, nullptr, FALSE) ? 1 : 0;
        settle_step(toolbar);
    }
    // The strip repaints, as it does when a window above it goes away.
    RedrawWindow(toolbar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    settle(toolbar);
    int failures = 0;
    if (!IsWindowVisible(label) || window_text(label) != name) {
        failures += fail("label reads '" + window_text(label) + "', expected '" + name + "'");
    }
    RECT r;
    GetWindowRect(label, &r);
    HDC screen = GetDC(nullptr);
    int painted_over = 0;
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        for (int x = r.left + 1; x < r.right - 1; ++x) {
            painted_over += coloured(GetPixel(screen, x, y)) ? 1 : 0;
        }
    }
    // The text is whole: its ink keeps clear of the label's left and right borders (a label
    // narrower than its text, or letters left from an earlier text, reach them).
    int ink_at_sides = 0;
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        for (const int x : {r.left + 1, r.left + 2, r.right - 3, r.right - 2}) {
            const COLORREF pixel = GetPixel(screen, x, y);
            ink_at_sides += GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 300 ? 1 : 0;
        }
    }
    if (ink_at_sides > 0) {
        failures += fail(std::to_string(ink_at_sides) + " text pixels at the sides of the '" +
                         name + "' label");
    }
    if (painted_over > 0) {
        failures += fail(std::to_string(painted_over) + " pixels of button pictures inside the '" +
                         name + "' label");
    }
    if (label_changes > most_changes) {
        failures +=
            fail("the label changed " + std::to_string(label_changes) + " times on a sweep over " +
                 std::to_string(std::abs(to - from) + 1) + " pixels");
    }
    ReleaseDC(nullptr, screen);
    std::printf("'%s' label: %d changes, %d pixels painted over, %d text pixels at its sides\n",
                name.c_str(), label_changes, painted_over, ink_at_sides);
    return failures == 0 ? 0 : 1;
}

int print_rect(const std::string& what) {
    HWND window = nullptr;
    if (what == "toolbar") {
        window = find_toolbar();
    } else if (what == "keyboard") {
        window = find_mdi_child("PCDenWClass");
    } else if (what == "editor") {
        window = find_mdi_child("PCEdtWClass");
    } else if (what == "functions") {
        window = find_mdi_child("PCFncWClass");
    } else if (what == "about") {
        window = find_dialog("About");
    }
    if (window == nullptr) {
        return fail("no window for " + what);
    }
    settle(window);
    RECT r;
    GetWindowRect(window, &r);
    std::printf("%dx%d+%d+%d\n", static_cast<int>(r.right - r.left),
                static_cast<int>(r.bottom - r.top), static_cast<int>(r.left),
                static_cast<int>(r.top));
    return 0;
}

// The close button of the editor's caption. Its glyph comes from the Marlett font; where that
// font is missing, its code "r" is drawn in some other face. A cross is mirror-symmetric about
// its upright axis and the letter is not, so the dark pixels on the button's face are compared
// with their mirror images within the glyph's bounds.
int check_caption_close() {
    HWND editor = find_mdi_child("PCEdtWClass");
    if (editor == nullptr) {
        return fail("no editor window");
    }
    SendMessageA(GetParent(editor), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(editor), 0);
    settle(editor);
    // The corner of the caption holding the close button, with some caption bar around it (the
    // caption's last line separates it from the window's inside).
    RECT window;
    GetWindowRect(editor, &window);
    const int frame = GetSystemMetrics(SM_CXSIZEFRAME);
    const int width = GetSystemMetrics(SM_CXSIZE) + 2;
    const int height = GetSystemMetrics(SM_CYCAPTION) - 1;
    const int left = window.right - frame - width, top = window.top + frame;
    std::vector<std::vector<int>> light(height, std::vector<int>(width));
    HDC screen = GetDC(nullptr);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF pixel = GetPixel(screen, left + x, top + y);
            light[y][x] = GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel);
        }
    }
    ReleaseDC(nullptr, screen);
    // The face is the bright part; its outermost pixels are the button's edges.
    RECT face{width, height, -1, -1};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (light[y][x] > 600) {
                face = {std::min<LONG>(face.left, x), std::min<LONG>(face.top, y),
                        std::max<LONG>(face.right, x), std::max<LONG>(face.bottom, y)};
            }
        }
    }
    const auto ink = [&](int x, int y) {
        return x > face.left && x < face.right && y > face.top && y < face.bottom &&
               light[y][x] < 384;
    };
    int low = width, high = -1, pixels = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (ink(x, y)) {
                low = std::min(low, x), high = std::max(high, x), ++pixels;
            }
        }
    }
    int unmatched = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unmatched += ink(x, y) && !ink(low + high - x, y) ? 1 : 0;
            std::putchar(ink(x, y) ? '#' : light[y][x] > 600 ? '.' : ' ');
        }
        std::putchar('\n');
    }
    std::printf("close button: %d glyph pixels, %d without a mirror image\n", pixels, unmatched);
    if (pixels < 5) {
        return fail("the close button shows no glyph");
    }
    return unmatched * 5 > pixels ? fail("the close button shows a letter, not a cross") : 0;
}

int open_functions(int command, int list, int position) {
    SendMessageA(find_frame(), WM_COMMAND, static_cast<WPARAM>(command), 0);
    HWND table = find_mdi_child("PCFncWClass");
    HWND box = GetDlgItem(table, list);
    if (table == nullptr || box == nullptr) {
        return fail("no function-table window with list " + std::to_string(list));
    }
    SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(position), 0);
    SendMessageA(table, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    // The window is brought to the front so that a screenshot shows it whole.
    SendMessageA(GetParent(table), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(table), 0);
    settle(table);
    std::printf("%s\n", window_text(table).c_str());
    return 0;
}

int open_about(int milliseconds) {
    PostMessageA(find_frame(), WM_COMMAND, 20091, 0);
    HWND about = wait_for(milliseconds, [] { return find_dialog("About"); });
    if (about == nullptr) {
        return fail("no About box");
    }
    settle(about);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "sweep" && argc > 5) {
        return sweep(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], std::atoi(argv[5]));
    }
    if (command == "rect" && argc > 2) {
        return print_rect(argv[2]);
    }
    if (command == "func" && argc > 4) {
        return open_functions(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    }
    if (command == "about" && argc > 2) {
        return open_about(std::atoi(argv[2]));
    }
    if (command == "about-close") {
        HWND about = find_dialog("About");
        return about != nullptr && driver::press_until_gone(about, IDOK, 10000)
                   ? 0
                   : fail("About box did not close");
    }
    if (command == "caption") {
        return check_caption_close();
    }
    std::fprintf(stderr, "usage: drawing_driver COMMAND ...\n");
    return 2;
}
