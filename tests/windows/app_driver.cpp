// Drives and inspects a running TRAVEX.exe for the Wine tests. Each command prints what it
// found and exits 0 when the expectation holds, 1 when it does not.
//
//   app_driver wait-frame MS          the frame window appears; its children and menus
//   app_driver count-frames           number of top-level frame windows (printed)
//   app_driver strings EXE            every string of the table is in the EXE's resources
//   app_driver font FILE              the font file's face maps every calculator byte
//   app_driver font-installed         the face is available to other programs
//   app_driver menu-help              menu help reaches the status bar
//   app_driver open-about MS          the About box opens with a 500 x 300 client area
//   app_driver close-about MS         OK closes it
//   app_driver expect-message TEXT MS a "ZELTA TRAVEX" box with this text, answered with OK
//   app_driver no-message             no "ZELTA TRAVEX" box is open
//   app_driver layout                 toolbar state and the MDI client's top edge
//   app_driver hover                  toolbar buttons name themselves under the pointer
//   app_driver version EXE            the version resource the About box reads
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

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "codec/charset.h"
#include "driver_support.h"
#include "resources/resource_text.h"
#include "resources/string_table.h"

namespace {

using driver::fail;
using driver::find_dialog;
using driver::find_frame;
using driver::wait_for;
using driver::window_text;

std::string class_of(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
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
    if (window_text(frame) != "ZELTA TRAVEX") {
        failures += fail("frame title is '" + window_text(frame) + "'");
    }
    HWND mdi = FindWindowExA(frame, nullptr, "MDICLIENT", nullptr);
    HWND status = FindWindowExA(frame, nullptr, "PCStsWClass", nullptr);
    HWND toolbar = FindWindowExA(frame, nullptr, "PCTolWClass", nullptr);
    if (mdi == nullptr || GetDlgCtrlID(mdi) != 16) {
        failures += fail("no MDI client with id 16");
    }
    if (status == nullptr || GetDlgCtrlID(status) != 64 || !IsWindowVisible(status)) {
        failures += fail("no visible status bar with id 64");
    }
    if (toolbar == nullptr || GetDlgCtrlID(toolbar) != 48) {
        failures += fail("no toolbar with id 48");
    }
    // Menus are not inspected from here: Wine keeps menu handles private to their process.
    RECT r;
    GetWindowRect(frame, &r);
    std::printf("frame %dx%d at %d,%d; mdi %p status %p toolbar %p\n",
                static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top),
                static_cast<int>(r.left), static_cast<int>(r.top), static_cast<void*>(mdi),
                static_cast<void*>(status), static_cast<void*>(toolbar));
    if (r.right - r.left != 677 || r.bottom - r.top != 588) {
        failures += fail("frame is not 677 x 588");
    }
    return failures == 0 ? 0 : 1;
}

BOOL CALLBACK count_frame(HWND window, LPARAM count) {
    if (class_of(window) == "PCMainWClass") {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

int count_frames() {
    int count = 0;
    EnumWindows(count_frame, reinterpret_cast<LPARAM>(&count));
    std::printf("%d\n", count);
    return 0;
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
        if (!same && ++failures <= 10) {
            fail("string " + std::to_string(entry.id) + " differs in the resources");
        }
        if (same) {
            const std::u16string loaded(reinterpret_cast<const char16_t*>(text),
                                        static_cast<std::size_t>(length));
            const auto bytes = travex::load_calculator_text(loaded);
            if (!bytes || *bytes != entry.text) {
                ++failures;
                fail("string " + std::to_string(entry.id) + " does not load back");
            }
        }
        ++checked;
    }
    std::printf("%d strings checked, %d differ\n", checked, failures);
    return failures == 0 ? 0 : 1;
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

// The font file as this program sees it once added: face name, symbol character set, and a
// glyph for every printable ASCII byte and every named calculator byte.
int check_font(const char* file) {
    if (AddFontResourceExA(file, FR_PRIVATE, nullptr) == 0) {
        return fail(std::string("cannot add ") + file);
    }
    HDC dc = GetDC(nullptr);
    if (!face_enumerated(dc)) {
        ReleaseDC(nullptr, dc);
        return fail("face TM-QV7 is not installed");
    }
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH,
                             "TM-QV7");
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, face);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    int failures = 0;
    if (std::string(face) != "TM-QV7") {
        failures += fail(std::string("selected face is ") + face);
    }
    if (metrics.tmCharSet != SYMBOL_CHARSET) {
        failures += fail("the face is not a symbol font");
    }
    if ((metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) != 0) {  // the bit set means variable
        failures += fail("the face is not fixed pitch");
    }
    std::string bytes;
    for (int byte = 0x20; byte < 0x7F; ++byte) {
        bytes.push_back(static_cast<char>(byte));
    }
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        if (travex::string_text(static_cast<std::uint16_t>(byte + travex::kGlyphNameOffset))) {
            bytes.push_back(static_cast<char>(byte));
        }
    }
    std::basic_string<WORD> glyphs(bytes.size(), 0);
    GetGlyphIndicesA(dc, bytes.c_str(), static_cast<int>(bytes.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    int missing = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (glyphs[i] == 0xFFFF || glyphs[i] == 0) {
            if (++missing <= 10) {
                std::printf("byte 0x%02X has no glyph\n", static_cast<unsigned char>(bytes[i]));
            }
        }
    }
    if (missing != 0) {
        failures += fail(std::to_string(missing) + " bytes without a glyph");
    }
    std::printf("face %s, %zu bytes mapped, %d missing\n", face, bytes.size(), missing);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return failures == 0 ? 0 : 1;
}

int open_about(int milliseconds) {
    HWND frame = find_frame();
    if (frame == nullptr) {
        return fail("no frame window");
    }
    PostMessageA(frame, WM_COMMAND, 20091, 0);
    HWND about = wait_for(milliseconds, [] { return find_dialog("About"); });
    if (about == nullptr) {
        return fail("no About box");
    }
    Sleep(500);
    RECT client;
    GetClientRect(about, &client);
    std::printf("About client %dx%d\n", static_cast<int>(client.right),
                static_cast<int>(client.bottom));
    if (client.right != 500 || client.bottom != 300) {
        return fail("About client area is not 500 x 300");
    }
    RECT ok;
    GetWindowRect(GetDlgItem(about, IDOK), &ok);
    if (ok.right - ok.left != 60 || ok.bottom - ok.top != 25) {
        return fail("OK button is not 60 x 25");
    }
    return 0;
}

int close_about(int milliseconds) {
    HWND about = find_dialog("About");
    if (about == nullptr) {
        return fail("no About box");
    }
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    const bool closed = wait_for(milliseconds, [] { return find_dialog("About") == nullptr; });
    return closed ? 0 : fail("About box stays open");
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

std::string status_line(HWND frame) {
    return window_text(FindWindowExA(frame, nullptr, "PCStsWClass", nullptr));
}

// Highlighting menu items shows their help in the status bar; closing the menu shows "Ready".
int menu_help() {
    HWND frame = find_frame();
    if (frame == nullptr) {
        return fail("no frame window");
    }
    const struct {
        WORD item;
        WORD flags;
        LPARAM menu;
        const char* expected;
    } steps[] = {
        {20071, MF_HILITE, 1, "Display the function of KEY PAD"},
        {20036, MF_HILITE, 1, "Select the point size of the font"},
        {20021, MF_HILITE, 1, "Send files to the calculator"},
        {0, 0xFFFF, 0, "Ready"},
        {40098, MF_HILITE, 1, ""},
        {1, MF_HILITE | MF_POPUP, 1, ""},  // a popup leaves the line as it is
        {20051, MF_HILITE, 1, "Show or hide the toolbar"},
        {0, 0xFFFF, 0, "Ready"},
    };
    int failures = 0;
    for (const auto& step : steps) {
        SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(step.item, step.flags), step.menu);
        const std::string line = status_line(frame);
        if (line != step.expected) {
            failures += fail("item " + std::to_string(step.item) + " shows '" + line + "'");
        }
    }
    std::printf("%zu menu selections checked\n", std::size(steps));
    return failures == 0 ? 0 : 1;
}

// "toolbar shown, client at 28" or "toolbar hidden, client at 0": the toolbar and where the
// MDI client starts in the frame's client area.
int print_layout() {
    HWND frame = find_frame();
    if (frame == nullptr) {
        return fail("no frame window");
    }
    HWND toolbar = FindWindowExA(frame, nullptr, "PCTolWClass", nullptr);
    HWND mdi = FindWindowExA(frame, nullptr, "MDICLIENT", nullptr);
    RECT r;
    GetWindowRect(mdi, &r);
    POINT top_left = {r.left, r.top};
    ScreenToClient(frame, &top_left);
    std::printf("toolbar %s, client at %d\n", IsWindowVisible(toolbar) ? "shown" : "hidden",
                static_cast<int>(top_left.y));
    return 0;
}

// Resting the pointer on a toolbar button shows its name to the right of it; moving off the
// buttons hides the label again.
int hover() {
    HWND frame = find_frame();
    HWND toolbar = FindWindowExA(frame, nullptr, "PCTolWClass", nullptr);
    HWND label = GetDlgItem(toolbar, 60);
    if (toolbar == nullptr || label == nullptr) {
        return fail("no toolbar with its hover label");
    }
    int failures = 0;
    const struct {
        int x;
        const char* text;
        int label_x;
    } buttons[] = {{74, "Save", 87}, {230, "Screen Capture", 248}, {290, "Send", 310}};
    for (const auto& button : buttons) {
        SendMessageA(toolbar, WM_MOUSEMOVE, 0, MAKELPARAM(button.x, 12));
        RECT r;
        GetWindowRect(label, &r);
        POINT at = {r.left, r.top};
        ScreenToClient(toolbar, &at);
        if (!IsWindowVisible(label) || window_text(label) != button.text ||
            at.x != button.label_x || at.y != 4) {
            failures += fail(std::string("hover label for ") + button.text + " reads '" +
                             window_text(label) + "' at " + std::to_string(at.x) + "," +
                             std::to_string(at.y));
        }
    }
    SendMessageA(toolbar, WM_MOUSEMOVE, 0, MAKELPARAM(5, 12));
    if (IsWindowVisible(label)) {
        failures += fail("hover label stays after leaving the buttons");
    }
    std::printf("%zu hover labels checked\n", std::size(buttons));
    return failures == 0 ? 0 : 1;
}

// "title|outer width|items in lists 33, 34, 35" of the function-table window.
int print_function_table() {
    HWND mdi = FindWindowExA(find_frame(), nullptr, "MDICLIENT", nullptr);
    HWND table = FindWindowExA(mdi, nullptr, "PCFncWClass", nullptr);
    if (table == nullptr) {
        return fail("no function-table window");
    }
    RECT r;
    GetWindowRect(table, &r);
    std::printf("%s|%d", window_text(table).c_str(), static_cast<int>(r.right - r.left));
    for (int id = 33; id <= 35; ++id) {
        std::printf("|%d", static_cast<int>(SendDlgItemMessageA(table, id, LB_GETCOUNT, 0, 0)));
    }
    std::printf("\n");
    return 0;
}

int open_function_table(int command) {
    SendMessageA(find_frame(), WM_COMMAND, static_cast<WPARAM>(command), 0);
    return print_function_table();
}

// Selects a line of one list as a click would, then shows the window's state.
int select_function(int list, int position) {
    HWND mdi = FindWindowExA(find_frame(), nullptr, "MDICLIENT", nullptr);
    HWND table = FindWindowExA(mdi, nullptr, "PCFncWClass", nullptr);
    HWND box = GetDlgItem(table, list);
    SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(position), 0);
    SendMessageA(table, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    return print_function_table();
}

HWND find_keyboard() {
    HWND mdi = FindWindowExA(find_frame(), nullptr, "MDICLIENT", nullptr);
    return FindWindowExA(mdi, nullptr, "PCDenWClass", nullptr);
}

BOOL CALLBACK count_child(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// "title|client width x height|keys", or "none" without a keyboard panel.
int print_keyboard() {
    HWND panel = find_keyboard();
    if (panel == nullptr) {
        std::printf("none\n");
        return 0;
    }
    RECT client;
    GetClientRect(panel, &client);
    int keys = 0;
    EnumChildWindows(panel, count_child, reinterpret_cast<LPARAM>(&keys));
    std::printf("%s|%dx%d|%d\n", window_text(panel).c_str(), static_cast<int>(client.right),
                static_cast<int>(client.bottom), keys);
    return 0;
}

// Clicks keyboard keys in order, as the user would.
int press_keys(int argc, char** argv) {
    HWND panel = find_keyboard();
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

// The version resource: file version 1.1.0.0, and the strings the About box reads.
int check_version(const char* exe) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe, &ignored);
    std::string block(size, '\0');
    if (size == 0 || !GetFileVersionInfoA(exe, 0, size, block.data())) {
        return fail("no version resource");
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    int failures = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed->dwFileVersionMS != 0x00010001 || fixed->dwFileVersionLS != 0) {
        failures += fail("file version is not 1.1.0.0");
    }
    auto text = [&block](const char* key) {
        char* value = nullptr;
        UINT size_of = 0;
        const std::string path = std::string("\\StringFileInfo\\040904b0\\") + key;
        return VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value),
                              &size_of) &&
                       value != nullptr
                   ? std::string(value)
                   : std::string();
    };
    if (text("FileVersion") != "1, 1, 0, 0") {
        failures += fail("FileVersion reads '" + text("FileVersion") + "'");
    }
    const std::string notice = text("LegalCopyright");
    if (notice.empty() || notice.size() > 49) {
        failures += fail("LegalCopyright does not fit its 50-byte field");
    }
    std::printf("version 1.1.0.0, \"%s\", \"%s\"\n", text("FileVersion").c_str(), notice.c_str());
    return failures == 0 ? 0 : 1;
}

int no_message() {
    HWND box = find_dialog("ZELTA TRAVEX");
    if (box == nullptr) {
        return 0;
    }
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return fail(std::string("unexpected message: ") + text);
}

int close_frame(int milliseconds) {
    HWND frame = find_frame();
    if (frame == nullptr) {
        return fail("no frame window");
    }
    PostMessageA(frame, WM_CLOSE, 0, 0);
    const bool closed = wait_for(milliseconds, [] { return find_frame() == nullptr; });
    return closed ? 0 : fail("frame stays open");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    auto number = [&](int at) { return argc > at ? std::atoi(argv[at]) : 20000; };
    if (command == "wait-frame") {
        return wait_frame(number(2));
    }
    if (command == "count-frames") {
        return count_frames();
    }
    if (command == "strings" && argc > 2) {
        return check_strings(argv[2]);
    }
    if (command == "font" && argc > 2) {
        return check_font(argv[2]);
    }
    if (command == "font-installed") {
        return font_installed();
    }
    if (command == "menu-help") {
        return menu_help();
    }
    if (command == "open-about") {
        return open_about(number(2));
    }
    if (command == "close-about") {
        return close_about(number(2));
    }
    if (command == "expect-message" && argc > 2) {
        return expect_message(argv[2], number(3));
    }
    if (command == "minimise") {
        ShowWindow(find_frame(), SW_MINIMIZE);
        return wait_for(number(2), [] { return IsIconic(find_frame()) != FALSE; })
                   ? 0
                   : fail("frame does not minimise");
    }
    if (command == "restored") {
        return IsIconic(find_frame()) ? fail("frame is still minimised") : 0;
    }
    if (command == "frame-handle") {
        std::printf("%llx\n", static_cast<unsigned long long>(
                                  reinterpret_cast<std::uintptr_t>(find_frame())));
        return 0;
    }
    if (command == "enabled") {
        return IsWindowEnabled(find_frame()) ? 0 : fail("frame is disabled");
    }
    if (command == "opening-tool") {  // asks the frame to start the Opening Tool
        PostMessageA(find_frame(), WM_COMMAND, 40100, 0);
        return 0;
    }
    if (command == "func-open" && argc > 2) {
        return open_function_table(std::atoi(argv[2]));
    }
    if (command == "func-select" && argc > 3) {
        return select_function(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (command == "keyboard") {
        return print_keyboard();
    }
    if (command == "keys") {
        return press_keys(argc, argv);
    }
    if (command == "toggle-keyboard") {
        SendMessageA(find_frame(), WM_COMMAND, 20052, 0);
        return print_keyboard();
    }
    if (command == "version" && argc > 2) {
        return check_version(argv[2]);
    }
    if (command == "hover") {
        return hover();
    }
    if (command == "hover-show") {  // leaves the Screen Capture label up for a screenshot
        HWND toolbar = FindWindowExA(find_frame(), nullptr, "PCTolWClass", nullptr);
        SendMessageA(toolbar, WM_MOUSEMOVE, 0, MAKELPARAM(230, 12));
        return 0;
    }
    if (command == "layout") {
        return print_layout();
    }
    if (command == "no-message") {
        return no_message();
    }
    if (command == "close") {
        return close_frame(number(2));
    }
    std::fprintf(stderr, "usage: app_driver COMMAND ...\n");
    return 2;
}
