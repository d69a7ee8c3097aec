// Drives printing in a running TRAVEX.exe for the Wine tests: sets up a printer of the Wine
// prefix whose port is a file, answers the Print and Print Setup dialogs, and watches or
// cancels the "Now Printing:" dialog. Each command prints what it found and exits 0 when the
// expectation holds, 1 when it does not.
//
//   print_driver add-printer NAME PORT PPD  adds a PostScript printer on PORT and makes it default
//   print_driver printers                   the printers, the default one marked with *
//   print_driver dialog TITLE BUTTON MS     presses ok|cancel in the common dialog TITLE
//   print_driver landscape MS               Print Setup: picks Landscape and presses OK
//   print_driver wait-printing MS           until the printing dialog shows; prints its name
//   print_driver cancel-printing MS         cancels the printing dialog as soon as it shows
//   print_driver document-enabled           whether the active document window is enabled
#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_support.h"
#include "resources/resource_ids.h"

namespace {

using driver::fail;
using driver::find_dialog;
using driver::find_frame;
using driver::wait_for;
using driver::window_text;

constexpr int kDocumentNameId = IDC_PRINTING_DOCUMENT;
constexpr int kLandscapeButton = 0x421;  // rad2 of the print setup dialog

std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// Wine's PostScript driver under the printer's own name, described by the given PPD file.
bool add_driver(const std::wstring& name, const std::string& ppd) {
    std::wstring driver_name = name;
    std::wstring driver_file = L"wineps.drv";
    std::wstring data_file = wide(ppd);
    std::wstring raw = L"RAW";
    DRIVER_INFO_3W info{};
    info.cVersion = 3;
    info.pName = driver_name.data();
    info.pDriverPath = driver_file.data();
    info.pDataFile = data_file.data();
    info.pConfigFile = driver_file.data();
    info.pDefaultDataType = raw.data();
    return AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info),
                               APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY) ||
           GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
}

int add_printer(const std::string& name, const std::string& port, const std::string& ppd) {
    std::wstring printer_name = wide(name);
    std::wstring port_name = wide(port);
    if (!add_driver(printer_name, ppd)) {
        return fail("AddPrinterDriver: error " + std::to_string(GetLastError()));
    }
    std::wstring driver_name = printer_name;
    std::wstring processor = L"WinPrint";
    std::wstring datatype = L"RAW";
    PRINTER_INFO_2W info{};
    info.pPrinterName = printer_name.data();
    info.pPortName = port_name.data();
    info.pDriverName = driver_name.data();
    info.pPrintProcessor = processor.data();
    info.pDatatype = datatype.data();
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer == nullptr && GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        return fail("AddPrinter: error " + std::to_string(GetLastError()));
    }
    if (printer != nullptr) {
        ClosePrinter(printer);
    }
    if (!SetDefaultPrinterW(printer_name.c_str())) {
        return fail("SetDefaultPrinter: error " + std::to_string(GetLastError()));
    }
    std::printf("added %s on %s\n", name.c_str(), port.c_str());
    return 0;
}

int list_printers() {
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
        return fail("EnumPrinters: error " + std::to_string(GetLastError()));
    }
    wchar_t default_name[256] = {};
    DWORD size = 256;
    GetDefaultPrinterW(default_name, &size);
    const auto* infos = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        std::printf("%s%ls on %ls (%ls)\n",
                    wcscmp(infos[i].pPrinterName, default_name) == 0 ? "*" : "",
                    infos[i].pPrinterName, infos[i].pPortName, infos[i].pDriverName);
    }
    return 0;
}

int press(const std::string& title, const std::string& button, int milliseconds) {
    HWND dialog = wait_for(milliseconds, [&] { return find_dialog(title); });
    if (dialog == nullptr) {
        return fail("no dialog titled " + title);
    }
    Sleep(300);
    const int id = button == "cancel" ? IDCANCEL : IDOK;
    return driver::press_until_gone(dialog, id, milliseconds) ? 0
                                                              : fail(title + " dialog stays open");
}

int pick_landscape(int milliseconds) {
    HWND dialog = wait_for(milliseconds, [&] { return find_dialog("Print Setup"); });
    if (dialog == nullptr) {
        return fail("no Print Setup dialog");
    }
    Sleep(300);
    HWND landscape = GetDlgItem(dialog, kLandscapeButton);
    if (landscape == nullptr) {
        return fail("Print Setup has no Landscape button");
    }
    SendMessageA(landscape, BM_CLICK, 0, 0);
    return driver::press_until_gone(dialog, IDOK, milliseconds) ? 0
                                                                : fail("Print Setup stays open");
}

// The printing dialog: a "TRAVEX" dialog with the document name field.
HWND printing_dialog() {
    for (HWND dialog = FindWindowA("#32770", "TRAVEX"); dialog != nullptr;
         dialog = FindWindowExA(nullptr, dialog, "#32770", "TRAVEX")) {
        if (GetDlgItem(dialog, kDocumentNameId) != nullptr &&
            GetDlgItem(dialog, IDCANCEL) != nullptr) {
            return dialog;
        }
    }
    return nullptr;
}

HWND wait_printing_dialog(int milliseconds) {
    HWND dialog = nullptr;
    for (int waited = 0; waited < milliseconds && dialog == nullptr; waited += 5) {
        dialog = printing_dialog();
        if (dialog == nullptr) {
            Sleep(5);
        }
    }
    return dialog;
}

int show_printing(int milliseconds) {
    HWND dialog = wait_printing_dialog(milliseconds);
    if (dialog == nullptr) {
        return fail("no printing dialog");
    }
    char name[MAX_PATH] = {};
    GetDlgItemTextA(dialog, kDocumentNameId, name, sizeof name);
    std::printf("%s\n", name);
    return 0;
}

int cancel_printing(int milliseconds) {
    HWND dialog = wait_printing_dialog(milliseconds);
    if (dialog == nullptr) {
        return fail("no printing dialog");
    }
    // The dialog may show before its document name is set: the name is read (for a while)
    // before Cancel, which ends the dialog.
    char name[MAX_PATH] = {};
    wait_for(2000, [&] {
        GetDlgItemTextA(dialog, kDocumentNameId, name, sizeof name);
        return name[0] != '\0';
    });
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    std::printf("%s\n", name);
    const bool gone = wait_for(milliseconds, [&] { return !IsWindow(dialog); });
    return gone ? 0 : fail("printing dialog stays after Cancel");
}

int document_enabled() {
    HWND client = FindWindowExA(find_frame(), nullptr, "MDICLIENT", nullptr);
    HWND active = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
    if (active == nullptr) {
        return fail("no active document");
    }
    const bool enabled = IsWindowEnabled(active) && IsWindowEnabled(find_frame());
    std::printf("%s: %s\n", window_text(active).c_str(), enabled ? "enabled" : "disabled");
    return enabled ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto number = [&](std::size_t i, int fallback) {
        return args.size() > i ? std::atoi(args[i].c_str()) : fallback;
    };
    if (args.size() >= 4 && args[0] == "add-printer") {
        return add_printer(args[1], args[2], args[3]);
    }
    if (!args.empty() && args[0] == "printers") {
        return list_printers();
    }
    if (args.size() >= 3 && args[0] == "dialog") {
        return press(args[1], args[2], number(3, 20000));
    }
    if (!args.empty() && args[0] == "landscape") {
        return pick_landscape(number(1, 20000));
    }
    if (!args.empty() && args[0] == "wait-printing") {
        return show_printing(number(1, 60000));
    }
    if (!args.empty() && args[0] == "cancel-printing") {
        return cancel_printing(number(1, 60000));
    }
    if (!args.empty() && args[0] == "document-enabled") {
        return document_enabled();
    }
    return fail("unknown command");
}
