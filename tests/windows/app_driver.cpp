// Drives and inspects a running TRAVEX.exe for the Wine tests, as a user would. Each command
// prints what it found and exits 0 when the expectation holds, 1 when it does not.
//
//   wait-frame MS              the frame appears with its children, titled, at 677 x 588
//   close MS                   the frame closes on a close request
//   font-installed             the calculator face is available to other programs
//   caption                    the editor's close button shows a cross, not a letter
//   expect-message TEXT MS     a "ZELTA TRAVEX" box with this text, answered with OK
//   answer TITLE BUTTON MS     prints a box's text and presses yes|no|cancel|ok
//   code-page                  the ANSI code page Windows runs with
//   command ID                 posts a menu command to the frame
//   editors / wait-editors N MS   titles of the editors, active first / until N are open
//   type TEXT / text / caret POS  the active editor's text box
//   replace-all FIND NEW       the Replace dialog's Replace All
//   save-as NAME FILTER MS     File > Save As; save-dialog: a Save as dialog already opening
//   open PATH MS               File > Open
//   menu-state                 "document|no-document menu, save on|off"
//   add-printer NAME PORT PPD  a default PostScript printer on PORT
//   dialog TITLE BUTTON MS     presses ok|cancel in a common dialog
//   cancel-printing MS         cancels "Now Printing:" as soon as it shows
//   document-enabled           the active document window and the frame take input
#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver_support.h"
#include "resources/resource_ids.h"

namespace {

using namespace driver;

HWND frame_child(const char* window_class) {
    return FindWindowExA(find_frame(), nullptr, window_class, nullptr);
}

int wait_frame(int milliseconds) {
    // The frame exists before start-up shows it.
    HWND frame = wait_for(milliseconds, [] {
        HWND found = find_frame();
        return found != nullptr && IsWindowVisible(found) ? found : nullptr;
    });
    if (frame == nullptr) {
        return fail("no frame window shown");
    }
    RECT r;
    GetWindowRect(frame, &r);
    std::printf("'%s' %ldx%ld\n", window_text(frame).c_str(), r.right - r.left, r.bottom - r.top);
    const bool children = GetDlgCtrlID(frame_child("MDICLIENT")) == 16 &&
                          GetDlgCtrlID(frame_child("PCStsWClass")) == 64 &&
                          GetDlgCtrlID(frame_child("PCTolWClass")) == 48;
    return children && window_text(frame) == "ZELTA TRAVEX" && r.right - r.left == 677 &&
                   r.bottom - r.top == 588
               ? 0
               : fail("frame is not 'ZELTA TRAVEX' at 677 x 588 with its children");
}

int CALLBACK note_face(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

int font_installed() {
    LOGFONTA wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(wanted.lfFaceName, "TM-QV7");
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExA(dc, &wanted, note_face, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found ? 0 : fail("TM-QV7 not installed");
}

// The editor's close button. Its glyph comes from the Marlett font; without it the code "r"
// is drawn in some other face. A cross is mirror-symmetric about its upright axis and the
// letter is not, so the dark pixels on the button's face are compared with their mirror images.
int check_caption_close() {
    HWND editor = mdi_child("PCEdtWClass");
    if (editor == nullptr) {
        return fail("no editor window");
    }
    SendMessageA(GetParent(editor), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(editor), 0);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(editor, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    Sleep(300);
    RECT window;
    GetWindowRect(editor, &window);
    const int edge = GetSystemMetrics(SM_CXSIZEFRAME);
    const int width = GetSystemMetrics(SM_CXSIZE) + 2;
    const int height = GetSystemMetrics(SM_CYCAPTION) - 1;
    std::vector<std::vector<int>> light(height, std::vector<int>(width));
    HDC screen = GetDC(nullptr);
    RECT face{width, height, -1, -1};  // the bright part; its outermost pixels are the edges
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF pixel =
                GetPixel(screen, window.right - edge - width + x, window.top + edge + y);
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
    return pixels >= 5 && unmatched * 5 <= pixels ? 0 : fail("the close button shows no cross");
}

int expect_message(const std::string& expected, int milliseconds) {
    HWND box = wait_for(milliseconds, [] { return find_dialog("ZELTA TRAVEX"); });
    if (box == nullptr) {
        return fail("no message box titled ZELTA TRAVEX");
    }
    const std::string text = message_text(box);
    std::printf("message: %s\n", text.c_str());
    if (!press_until_gone(box, IDOK, milliseconds)) {
        return fail("message box stays open");
    }
    return expected == text ? 0 : fail("message text differs");
}

int answer(const std::string& title, const std::string& button, int milliseconds) {
    HWND box = wait_for(milliseconds, [&] { return find_dialog(title); });
    if (box == nullptr) {
        return fail("no box titled " + title);
    }
    std::printf("%s\n", message_text(box).c_str());
    const int id = button == "yes"      ? IDYES
                   : button == "no"     ? IDNO
                   : button == "cancel" ? IDCANCEL
                                        : IDOK;
    PostMessageA(box, WM_COMMAND, id, 0);
    return 0;
}

HWND text_box() {
    return GetDlgItem(active_child("PCEdtWClass"), 82);
}

int list_editors(bool print) {
    int count = 0;
    for (HWND child = GetWindow(mdi_client(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (class_of(child) == "PCEdtWClass" && ++count && print) {
            std::printf("%s\n", window_text(child).c_str());
        }
    }
    return count;
}

// The editor's text, CR and LF as \r and \n, other characters outside ASCII as \xHHHH.
int print_text() {
    const int length = static_cast<int>(SendMessageW(text_box(), WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(text_box(), WM_GETTEXT, static_cast<WPARAM>(length + 1),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    for (const wchar_t c : text) {
        if (c == '\r' || c == '\n') {
            std::printf(c == '\r' ? "\\r" : "\\n");
        } else {
            std::printf(c >= 0x20 && c < 0x7F ? "%c" : "\\x%04X", static_cast<unsigned>(c));
        }
    }
    std::printf("\n");
    return text_box() != nullptr ? 0 : fail("no active editor");
}

int replace_all(const std::string& find_text, const std::string& replacement) {
    PostMessageA(find_frame(), WM_COMMAND, 20016, 0);
    HWND dialog = wait_for(20000, [] { return find_dialog("Replace"); });
    if (dialog == nullptr) {
        return fail("no Replace dialog");
    }
    SetDlgItemTextA(dialog, 1152, find_text.c_str());
    SetDlgItemTextA(dialog, 1153, replacement.c_str());
    click(dialog, 1025);  // Replace All, which closes the dialog itself
    return wait_for(20000, [] { return find_dialog("Replace") == nullptr; })
               ? 0
               : fail("Replace dialog stays open after Replace All");
}

int menu_state() {
    const UINT query = RegisterWindowMessageA("TRAVEX.MenuState");
    const LRESULT state = SendMessageA(find_frame(), query, 0, 0);
    std::printf("%s menu, save %s\n", (state & 1) != 0 ? "document" : "no-document",
                (state & 2) != 0 ? "on" : "off");
    return 0;
}

// Wine's PostScript driver under the printer's own name, described by the PPD file, on PORT.
int add_printer(const std::string& name, const std::string& port, const std::string& ppd) {
    std::wstring printer(name.begin(), name.end()), port_name(port.begin(), port.end());
    std::wstring data_file(ppd.begin(), ppd.end()), driver_file = L"wineps.drv", raw = L"RAW";
    std::wstring processor = L"WinPrint";
    DRIVER_INFO_3W driver_info{};
    driver_info.cVersion = 3;
    driver_info.pName = printer.data();
    driver_info.pDriverPath = driver_info.pConfigFile = driver_file.data();
    driver_info.pDataFile = data_file.data();
    driver_info.pDefaultDataType = raw.data();
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver_info),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        return fail("AddPrinterDriver: error " + std::to_string(GetLastError()));
    }
    PRINTER_INFO_2W info{};
    info.pPrinterName = info.pDriverName = printer.data();
    info.pPortName = port_name.data();
    info.pPrintProcessor = processor.data();
    info.pDatatype = raw.data();
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (added != nullptr) {
        ClosePrinter(added);
    } else if (GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        return fail("AddPrinter: error " + std::to_string(GetLastError()));
    }
    return SetDefaultPrinterW(printer.c_str()) ? 0 : fail("SetDefaultPrinter failed");
}

// "Now Printing:", a "TRAVEX" dialog with the document name field and Cancel (found while its
// controls are still being made, it may have no Cancel yet). Cancel is pressed at once: the
// application reads it between pages, and under Wine a page it has handed on reaches the port
// even when the job is aborted afterwards.
int cancel_printing(int milliseconds) {
    HWND dialog = nullptr;
    for (int waited = 0; waited < milliseconds && dialog == nullptr; waited += 5, Sleep(5)) {
        dialog = find_dialog_where("TRAVEX", [](HWND found) {
            return GetDlgItem(found, IDC_PRINTING_DOCUMENT) != nullptr &&
                   GetDlgItem(found, IDCANCEL) != nullptr;
        });
    }
    if (dialog != nullptr) {
        click(dialog, IDCANCEL);
    }
    return dialog != nullptr && wait_for(milliseconds, [&] { return !IsWindow(dialog); })
               ? 0
               : fail("no printing dialog, or it stays after Cancel");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    auto arg = [&](int at) { return std::string(argc > at ? argv[at] : ""); };
    auto number = [&](int at) { return argc > at ? std::atoi(argv[at]) : 20000; };
    auto expect = [](bool holds, const std::string& otherwise) {
        return holds ? 0 : fail(otherwise);
    };
    if (command == "code-page") {
        std::printf("%u\n", GetACP());
        return 0;
    }
    // Commands that need no frame (a message may come before it).
    const std::map<std::string, std::function<int()>> outside = {
        {"wait-frame", [&] { return wait_frame(number(2)); }},
        {"font-installed", [&] { return font_installed(); }},
        {"expect-message", [&] { return expect_message(arg(2), number(3)); }},
        {"answer", [&] { return answer(arg(2), arg(3), number(4)); }},
        {"add-printer", [&] { return add_printer(arg(2), arg(3), arg(4)); }},
        {"dialog",
         [&] {
             HWND dialog = wait_for(number(4), [&] { return find_dialog(arg(2)); });
             Sleep(300);
             return expect(
                 dialog != nullptr &&
                     press_until_gone(dialog, arg(3) == "cancel" ? IDCANCEL : IDOK, number(4)),
                 arg(2) + " dialog missing or stays open");
         }},
        {"cancel-printing", [&] { return cancel_printing(number(2)); }},
    };
    HWND frame = find_frame();
    const std::map<std::string, std::function<int()>> of_frame = {
        {"close",
         [&] {
             PostMessageA(frame, WM_CLOSE, 0, 0);
             return expect(wait_for(number(2), [] { return find_frame() == nullptr; }),
                           "frame stays open");
         }},
        {"caption", [&] { return check_caption_close(); }},
        {"command",
         [&] {
             PostMessageA(frame, WM_COMMAND, static_cast<WPARAM>(number(2)), 0);
             Sleep(300);
             return 0;
         }},
        {"editors",
         [&] {
             list_editors(true);
             return 0;
         }},
        {"wait-editors",
         [&] {
             const int wanted = std::atoi(arg(2).c_str());
             return expect(wait_for(number(3), [&] { return list_editors(false) == wanted; }),
                           std::to_string(list_editors(false)) + " editors open");
         }},
        {"type",
         [&] {
             // Characters arrive as the keyboard delivers them, so the editor sees the change.
             for (const char c : arg(2)) {
                 SendMessageW(text_box(), WM_CHAR, static_cast<unsigned char>(c), 1);
             }
             return expect(text_box() != nullptr, "no active editor");
         }},
        {"text", [&] { return print_text(); }},
        {"caret",
         [&] {
             SendMessageW(text_box(), EM_SETSEL, static_cast<WPARAM>(number(2)), number(2));
             return 0;
         }},
        {"replace-all", [&] { return replace_all(arg(2), arg(3)); }},
        {"save-as",
         [&] { return menu_file_dialog(20005, "Save as", arg(2), number(3), number(4)); }},
        {"save-dialog",
         [&] {
             return file_dialog(wait_for(number(4), [] { return find_dialog("Save as"); }), arg(2),
                                number(3), number(4));
         }},
        {"open", [&] { return menu_file_dialog(20002, "Open File", arg(2), 0, number(3)); }},
        {"menu-state", [&] { return menu_state(); }},
        {"document-enabled",
         [&] {
             HWND active =
                 reinterpret_cast<HWND>(SendMessageA(mdi_client(), WM_MDIGETACTIVE, 0, 0));
             return expect(active != nullptr && IsWindowEnabled(active) && IsWindowEnabled(frame),
                           "no enabled document window");
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
