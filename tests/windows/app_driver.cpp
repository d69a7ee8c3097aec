// Drives and inspects a running TRAVEX.exe for the Wine tests. Each command prints what it
// found and exits 0 when the expectation holds, 1 when it does not.
//
//   app_driver wait-frame MS          the frame window appears with its children, at 677 x 588
//   app_driver count-frames           number of top-level frame windows (printed)
//   app_driver strings EXE            every string of the table is in the EXE's resources
//   app_driver version EXE            the copyright notice fits the About box's field
//   app_driver font FILE              the font file's face maps every calculator byte
//   app_driver font-installed         the face is available to other programs
//   app_driver menu-help              menu help reaches the status bar
//   app_driver about MS               the About box opens with a 500 x 300 client area
//   app_driver about-close            OK closes it
//   app_driver expect-message TEXT MS a "ZELTA TRAVEX" box with this text, answered with OK
//   app_driver no-message             no "ZELTA TRAVEX" box is open
//   app_driver layout                 toolbar state and the MDI client's top edge
//   app_driver sweep X0 X1 NAME MOST  the pointer sweeps the toolbar from x X0 to X1: the hover
//                                     label reads NAME, whole and unpainted over, and changes
//                                     at most MOST times
//   app_driver rect WHAT              screen rectangle "WxH+X+Y" of the toolbar, keyboard,
//                                     editor, functions or about
//   app_driver caption                the editor's close button shows a cross (the Marlett
//                                     glyph), not the letter "r" of a stand-in font
//   app_driver func-open COMMAND      a FuncTable command; prints the function-table window
//   app_driver func-select LIST POS   selects a line of list 33-35; prints the window
//   app_driver keyboard               prints the keyboard panel (or "none")
//   app_driver keys ID...             clicks keyboard keys; prints the function-table window
//   app_driver toggle-keyboard        View > Key Board; prints the keyboard panel
//   app_driver opening-tool           sends the frame Tools > Opening Tool
//   app_driver enabled                the frame takes input
//   app_driver frame-handle           the frame's handle in lower-case hexadecimal
//   app_driver minimise MS            minimises the frame
//   app_driver restored               the frame is not minimised
//   app_driver close MS               the frame closes on a close request
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "codec/charset.h"
#include "driver_support.h"
#include "resources/resource_text.h"
#include "resources/string_table.h"

namespace {

using driver::class_of;
using driver::fail;
using driver::find_dialog;
using driver::find_frame;
using driver::mdi_child;
using driver::wait_for;
using driver::window_text;

HWND frame_child(const char* window_class) {
    return FindWindowExA(find_frame(), nullptr, window_class, nullptr);
}

// Lets the application finish painting: a message sent to it returns only after its queue got
// there, and a short pause covers the X server.
void settle(HWND window, int pause = 300) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    Sleep(pause);
}

int wait_frame(int milliseconds) {
    // The frame exists before start-up shows it; wait until it is shown.
    HWND frame = wait_for(milliseconds, [] {
        HWND found = find_frame();
        return found != nullptr && IsWindowVisible(found) ? found : nullptr;
    });
    if (frame == nullptr) {
        return fail("no frame window shown");
    }
    int failures = 0;
    const struct {
        const char* window_class;
        int id;
    } children[] = {{"MDICLIENT", 16}, {"PCStsWClass", 64}, {"PCTolWClass", 48}};
    for (const auto& child : children) {
        if (GetDlgCtrlID(frame_child(child.window_class)) != child.id) {
            failures += fail(std::string("no ") + child.window_class + " child");
        }
    }
    RECT r;
    GetWindowRect(frame, &r);
    std::printf("'%s' %ldx%ld\n", window_text(frame).c_str(), r.right - r.left, r.bottom - r.top);
    if (window_text(frame) != "ZELTA TRAVEX" || r.right - r.left != 677 ||
        r.bottom - r.top != 588) {
        failures += fail("frame is not 'ZELTA TRAVEX' at 677 x 588");
    }
    return failures == 0 ? 0 : 1;
}

BOOL CALLBACK count_frame(HWND window, LPARAM count) {
    *reinterpret_cast<int*>(count) += class_of(window) == "PCMainWClass" ? 1 : 0;
    return TRUE;
}

int check_strings(const char* exe) {
    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return fail(std::string("cannot load ") + exe);
    }
    int checked = 0;
    int failures = 0;
    for (const travex::StringEntry& entry : travex::string_table()) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module, entry.id, reinterpret_cast<LPWSTR>(&text), 0);
        const std::u16string expected = travex::resource_form(entry.text);
        const bool same = length == static_cast<int>(expected.size()) && text != nullptr &&
                          std::memcmp(text, expected.data(), expected.size() * 2) == 0;
        const auto bytes =
            same ? travex::load_calculator_text(std::u16string(
                       reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length)))
                 : std::nullopt;
        if ((!bytes || *bytes != entry.text) && ++failures <= 10) {
            fail("string " + std::to_string(entry.id) + " differs or does not load back");
        }
        ++checked;
    }
    std::printf("%d strings checked, %d differ\n", checked, failures);
    return failures == 0 ? 0 : 1;
}

// The copyright notice the About box reads from the version resource fits its 50-byte field.
int check_version(const char* exe) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe, &ignored);
    std::string block(size, '\0');
    char* notice = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(exe, 0, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\LegalCopyright",
                        reinterpret_cast<void**>(&notice), &length) ||
        notice == nullptr) {
        return fail("no copyright notice in the version resource");
    }
    std::printf("\"%s\"\n", notice);
    const std::size_t bytes = std::strlen(notice);
    return bytes > 0 && bytes <= 49 ? 0 : fail("the notice does not fit its 50-byte field");
}

int CALLBACK note_face(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool face_enumerated(HDC dc) {
    LOGFONTA wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(wanted.lfFaceName, "TM-QV7");
    bool found = false;
    EnumFontFamiliesExA(dc, &wanted, note_face, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// Whether the application has made the face available to other programs. (Wine answers the
// face by name but garbles the name it reports for another process's font, so the face itself
// is checked with "font FILE".)
int font_installed() {
    HDC dc = GetDC(nullptr);
    const bool found = face_enumerated(dc);
    ReleaseDC(nullptr, dc);
    std::printf("TM-QV7 %s\n", found ? "installed" : "not installed");
    return found ? 0 : 1;
}

// The font file as this program sees it once added: face name, symbol character set, fixed
// pitch, and a glyph for every printable ASCII byte and every named calculator byte.
int check_font(const char* file) {
    if (AddFontResourceExA(file, FR_PRIVATE, nullptr) == 0) {
        return fail(std::string("cannot add ") + file);
    }
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH,
                             "TM-QV7");
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, face);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    int failures = 0;
    // TMPF_FIXED_PITCH set means variable pitch.
    if (!face_enumerated(dc) || std::string(face) != "TM-QV7" ||
        metrics.tmCharSet != SYMBOL_CHARSET || (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH)) {
        failures += fail(std::string("face ") + face + " is not the fixed-pitch symbol TM-QV7");
    }
    std::string bytes;
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        if (byte < 0x7F || (byte >= 0x80 && travex::string_text(static_cast<std::uint16_t>(
                                                byte + travex::kGlyphNameOffset)))) {
            bytes.push_back(static_cast<char>(byte));
        }
    }
    std::basic_string<WORD> glyphs(bytes.size(), 0);
    GetGlyphIndicesA(dc, bytes.c_str(), static_cast<int>(bytes.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    int missing = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if ((glyphs[i] == 0xFFFF || glyphs[i] == 0) && ++missing <= 10) {
            std::printf("byte 0x%02X has no glyph\n", static_cast<unsigned char>(bytes[i]));
        }
    }
    failures += missing != 0 ? fail(std::to_string(missing) + " bytes without a glyph") : 0;
    std::printf("face %s, %zu bytes mapped, %d missing\n", face, bytes.size(), missing);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return failures == 0 ? 0 : 1;
}

int open_about(int milliseconds) {
    PostMessageA(find_frame(), WM_COMMAND, 20091, 0);
    HWND about = wait_for(milliseconds, [] { return find_dialog("About"); });
    if (about == nullptr) {
        return fail("no About box");
    }
    settle(about);
    RECT client;
    RECT ok;
    GetClientRect(about, &client);
    GetWindowRect(GetDlgItem(about, IDOK), &ok);
    std::printf("About client %ldx%ld, OK %ldx%ld\n", client.right, client.bottom,
                ok.right - ok.left, ok.bottom - ok.top);
    return client.right == 500 && client.bottom == 300 && ok.right - ok.left == 60 &&
                   ok.bottom - ok.top == 25
               ? 0
               : fail("About box is not 500 x 300 with a 60 x 25 OK button");
}

int expect_message(const std::string& expected, int milliseconds) {
    HWND box = wait_for(milliseconds, [] { return find_dialog("ZELTA TRAVEX"); });
    if (box == nullptr) {
        return fail("no message box titled ZELTA TRAVEX");
    }
    const std::string text = driver::message_text(box);
    std::printf("message: %s\n", text.c_str());
    if (!driver::press_until_gone(box, IDOK, milliseconds)) {
        return fail("message box stays open");
    }
    return expected == text ? 0 : fail("message text differs");
}

// Highlighting a menu item shows its help in the status bar, a popup leaves the line as it is,
// and closing the menu shows "Ready".
int menu_help() {
    HWND frame = find_frame();
    const struct {
        WORD item;
        WORD flags;
        LPARAM menu;
        const char* expected;
    } steps[] = {
        {20021, MF_HILITE, 1, "Send files to the calculator"},
        {1, MF_HILITE | MF_POPUP, 1, "Send files to the calculator"},
        {0, 0xFFFF, 0, "Ready"},
        {40098, MF_HILITE, 1, ""},
    };
    int failures = 0;
    for (const auto& step : steps) {
        SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(step.item, step.flags), step.menu);
        const std::string line = window_text(frame_child("PCStsWClass"));
        if (line != step.expected) {
            failures += fail("item " + std::to_string(step.item) + " shows '" + line + "'");
        }
    }
    return failures == 0 ? 0 : 1;
}

// "toolbar shown, client at 28" or "toolbar hidden, client at 0".
int print_layout() {
    RECT r;
    GetWindowRect(frame_child("MDICLIENT"), &r);
    POINT top_left = {r.left, r.top};
    ScreenToClient(find_frame(), &top_left);
    std::printf("toolbar %s, client at %ld\n",
                IsWindowVisible(frame_child("PCTolWClass")) ? "shown" : "hidden", top_left.y);
    return 0;
}

// A pixel of a button picture: the pictures are the only coloured things on the strip; the
// label itself is grey with black or grey text.
bool coloured(COLORREF pixel) {
    const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
    return std::abs(r - g) > 40 || std::abs(g - b) > 40 || std::abs(r - b) > 40;
}

// The pointer sweeps the toolbar one pixel a step, then the strip repaints as it does when a
// window above it goes away. The label must read NAME, show no pixel of a button picture, keep
// its text's ink clear of its sides (a label narrower than its text, or letters left from an
// earlier text, reach them), and be set again (text, place or size) at most MOST times.
int sweep(int from, int to, const std::string& name, int most_changes) {
    HWND toolbar = frame_child("PCTolWClass");
    HWND label = GetDlgItem(toolbar, 60);
    if (toolbar == nullptr || label == nullptr) {
        return fail("no toolbar with its hover label");
    }
    const int step = from <= to ? 1 : -1;
    int changes = 0;
    for (int x = from; x != to + step; x += step) {
        // The real pointer goes there too: the toolbar captures the mouse over a button, and a
        // move reported from wherever the pointer really is would take the label away.
        POINT at = {x, 12};
        ClientToScreen(toolbar, &at);
        SetCursorPos(at.x, at.y);
        SendMessageA(toolbar, WM_MOUSEMOVE, 0, MAKELPARAM(x, 12));
        changes += GetUpdateRect(label, nullptr, FALSE) ? 1 : 0;
        settle(toolbar, 20);
    }
    RedrawWindow(toolbar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    settle(toolbar);
    RECT r;
    GetWindowRect(label, &r);
    HDC screen = GetDC(nullptr);
    int painted_over = 0;
    int ink_at_sides = 0;
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        for (int x = r.left + 1; x < r.right - 1; ++x) {
            const COLORREF pixel = GetPixel(screen, x, y);
            painted_over += coloured(pixel) ? 1 : 0;
            const bool side = x <= r.left + 2 || x >= r.right - 3;
            ink_at_sides += side && GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 300;
        }
    }
    ReleaseDC(nullptr, screen);
    std::printf("'%s' label: %d changes, %d pixels painted over, %d text pixels at its sides\n",
                window_text(label).c_str(), changes, painted_over, ink_at_sides);
    return IsWindowVisible(label) && window_text(label) == name && painted_over == 0 &&
                   ink_at_sides == 0 && changes <= most_changes
               ? 0
               : fail("the '" + name + "' label");
}

int print_rect(const std::string& what) {
    HWND window = what == "toolbar"     ? frame_child("PCTolWClass")
                  : what == "keyboard"  ? mdi_child("PCDenWClass")
                  : what == "editor"    ? mdi_child("PCEdtWClass")
                  : what == "functions" ? mdi_child("PCFncWClass")
                                        : find_dialog("About");
    if (window == nullptr) {
        return fail("no window for " + what);
    }
    settle(window);
    RECT r;
    GetWindowRect(window, &r);
    std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
}

// The close button of the editor's caption. Its glyph comes from the Marlett font; where that
// font is missing, its code "r" is drawn in some other face. A cross is mirror-symmetric about
// its upright axis and the letter is not, so the dark pixels on the button's face are compared
// with their mirror images within the glyph's bounds.
int check_caption_close() {
    HWND editor = mdi_child("PCEdtWClass");
    if (editor == nullptr) {
        return fail("no editor window");
    }
    SendMessageA(GetParent(editor), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(editor), 0);
    settle(editor);
    // The corner of the caption holding the close button, with some caption bar around it.
    RECT window;
    GetWindowRect(editor, &window);
    const int frame = GetSystemMetrics(SM_CXSIZEFRAME);
    const int width = GetSystemMetrics(SM_CXSIZE) + 2;
    const int height = GetSystemMetrics(SM_CYCAPTION) - 1;
    const int left = window.right - frame - width, top = window.top + frame;
    std::vector<std::vector<int>> light(height, std::vector<int>(width));
    HDC screen = GetDC(nullptr);
    RECT face{width, height, -1, -1};  // the bright part; its outermost pixels are the edges
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF pixel = GetPixel(screen, left + x, top + y);
            light[y][x] = GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel);
            if (light[y][x] > 600) {
                face = {std::min<LONG>(face.left, x), std::min<LONG>(face.top, y),
                        std::max<LONG>(face.right, x), std::max<LONG>(face.bottom, y)};
            }
        }
    }
    ReleaseDC(nullptr, screen);
    const auto ink = [&](int x, int y) {
        return x > face.left && x < face.right && y > face.top && y < face.bottom &&
               light[y][x] < 384;
    };
    int low = width, high = -1, pixels = 0, unmatched = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (ink(x, y)) {
                low = std::min(low, x), high = std::max(high, x), ++pixels;
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unmatched += ink(x, y) && !ink(low + high - x, y) ? 1 : 0;
        }
    }
    std::printf("close button: %d glyph pixels, %d without a mirror image\n", pixels, unmatched);
    if (pixels < 5) {
        return fail("the close button shows no glyph");
    }
    return unmatched * 5 > pixels ? fail("the close button shows a letter, not a cross") : 0;
}

// "title|outer width|items in lists 33, 34, 35" of the function-table window.
int print_function_table() {
    HWND table = mdi_child("PCFncWClass");
    if (table == nullptr) {
        return fail("no function-table window");
    }
    RECT r;
    GetWindowRect(table, &r);
    std::printf("%s|%ld", window_text(table).c_str(), r.right - r.left);
    for (int id = 33; id <= 35; ++id) {
        std::printf("|%d", static_cast<int>(SendDlgItemMessageA(table, id, LB_GETCOUNT, 0, 0)));
    }
    std::printf("\n");
    return 0;
}

// Selects a line of one list as a click would and brings the window to the front.
int select_function(int list, int position) {
    HWND table = mdi_child("PCFncWClass");
    HWND box = GetDlgItem(table, list);
    SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(position), 0);
    SendMessageA(table, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    SendMessageA(GetParent(table), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(table), 0);
    return print_function_table();
}

BOOL CALLBACK count_child(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// "title|client width x height|keys", or "none" without a keyboard panel.
int print_keyboard() {
    HWND panel = mdi_child("PCDenWClass");
    if (panel == nullptr) {
        std::printf("none\n");
        return 0;
    }
    RECT client;
    GetClientRect(panel, &client);
    int keys = 0;
    EnumChildWindows(panel, count_child, reinterpret_cast<LPARAM>(&keys));
    std::printf("%s|%ldx%ld|%d\n", window_text(panel).c_str(), client.right, client.bottom, keys);
    return 0;
}

// Clicks keyboard keys in order, as the user would.
int press_keys(int argc, char** argv) {
    HWND panel = mdi_child("PCDenWClass");
    if (panel == nullptr) {
        return fail("no keyboard panel");
    }
    for (int i = 2; i < argc; ++i) {
        const int id = std::atoi(argv[i]);
        SendMessageA(panel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(panel, id)));
    }
    return print_function_table();
}

int no_message() {
    HWND box = find_dialog("ZELTA TRAVEX");
    if (box == nullptr) {
        return 0;
    }
    const std::string text = driver::message_text(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return fail("unexpected message: " + text);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const std::string arg = argc > 2 ? argv[2] : "";
    auto number = [&](int at) { return argc > at ? std::atoi(argv[at]) : 20000; };
    auto expect = [](bool holds, const char* otherwise) { return holds ? 0 : fail(otherwise); };
    HWND frame = find_frame();
    // Commands that need no frame (a message may come before the frame).
    const std::map<std::string, std::function<int()>> outside = {
        {"wait-frame", [&] { return wait_frame(number(2)); }},
        {"count-frames",
         [&] {
             int count = 0;
             EnumWindows(count_frame, reinterpret_cast<LPARAM>(&count));
             std::printf("%d\n", count);
             return 0;
         }},
        {"strings", [&] { return check_strings(arg.c_str()); }},
        {"version", [&] { return check_version(arg.c_str()); }},
        {"font", [&] { return check_font(arg.c_str()); }},
        {"font-installed", [&] { return font_installed(); }},
        {"expect-message", [&] { return expect_message(arg, number(3)); }},
        {"no-message", [&] { return no_message(); }},
    };
    const std::map<std::string, std::function<int()>> of_frame = {
        {"menu-help", [&] { return menu_help(); }},
        {"about", [&] { return open_about(number(2)); }},
        {"about-close",
         [&] {
             HWND about = find_dialog("About");
             return expect(about != nullptr && driver::press_until_gone(about, IDOK, 10000),
                           "About box stays open");
         }},
        {"minimise",
         [&] {
             ShowWindow(frame, SW_MINIMIZE);
             return expect(wait_for(number(2), [&] { return IsIconic(frame) != FALSE; }),
                           "frame does not minimise");
         }},
        {"restored", [&] { return expect(!IsIconic(frame), "frame is still minimised"); }},
        {"frame-handle",
         [&] {
             std::printf("%llx\n",
                         static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(frame)));
             return 0;
         }},
        {"enabled", [&] { return expect(IsWindowEnabled(frame), "frame is disabled"); }},
        {"opening-tool", [&] { return PostMessageA(frame, WM_COMMAND, 40100, 0) ? 0 : 1; }},
        {"func-open",
         [&] {
             SendMessageA(frame, WM_COMMAND, static_cast<WPARAM>(number(2)), 0);
             return print_function_table();
         }},
        {"func-select", [&] { return select_function(number(2), number(3)); }},
        {"keyboard", [&] { return print_keyboard(); }},
        {"keys", [&] { return press_keys(argc, argv); }},
        {"toggle-keyboard",
         [&] {
             SendMessageA(frame, WM_COMMAND, 20052, 0);
             return print_keyboard();
         }},
        {"sweep", [&] { return sweep(number(2), number(3), argc > 4 ? argv[4] : "", number(5)); }},
        {"rect", [&] { return print_rect(arg); }},
        {"caption", [&] { return check_caption_close(); }},
        {"layout", [&] { return print_layout(); }},
        {"close",
         [&] {
             PostMessageA(frame, WM_CLOSE, 0, 0);
             return expect(wait_for(number(2), [] { return find_frame() == nullptr; }),
                           "frame stays open");
         }},
    };
    if (const auto found = outside.find(command); found != outside.end()) {
        return found->second();
    }
    if (const auto found = of_frame.find(command); found != of_frame.end()) {
        return frame != nullptr ? found->second() : fail("no frame window");
    }
    std::fprintf(stderr, "usage: app_driver COMMAND ...\n");
    return 2;
}
