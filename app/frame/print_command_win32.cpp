// File > Print and File > Print Setup: the kept printer settings, the print dialog with its
// retries, and the job frame every printed document goes through — the modeless "Now
// Printing:" dialog, the abort procedure that keeps the application responsive while the
// spooler works, and the end or abort of the document.
#include <windows.h>

#include <commdlg.h>

#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "editor/editor_win32.h"
#include "frame/frame_win32.h"
#include "frame/link_shell_win32.h"
#include "frame/slide_show_win32.h"
#include "image/screen_bitmap.h"
#include "print/print_layout.h"
#include "print/print_retries.h"
#include "print/printer_surface_win32.h"
#include "resources/resource_ids.h"

namespace travex::win32 {
namespace {

constexpr std::size_t kTitleCharacters = 40;

// The printer's device-mode block, kept from the first Print or Print Setup to the end of the
// run.
HGLOBAL g_printer_settings = nullptr;

struct PrintingState {
    HWND dialog = nullptr;
    bool proceed = true;
};
PrintingState g_printing;

std::map<DocumentKind, DocumentPrinter>& document_printers() {
    static std::map<DocumentKind, DocumentPrinter> printers;
    return printers;
}

HGLOBAL copy_block(HGLOBAL block) {
    if (block == nullptr) {
        return nullptr;
    }
    const SIZE_T size = GlobalSize(block);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (copy == nullptr) {
        return nullptr;
    }
    const void* from = GlobalLock(block);
    void* to = GlobalLock(copy);
    if (from != nullptr && to != nullptr) {
        std::memcpy(to, from, size);
    }
    GlobalUnlock(copy);
    GlobalUnlock(block);
    return copy;
}

// Whatever a print dialog hands back, released when the command ends however it ends.
struct DialogResult {
    PRINTDLGA request{};
    DialogResult() { request.lStructSize = sizeof request; }
    ~DialogResult() {
        if (request.hDevMode != nullptr) {
            GlobalFree(request.hDevMode);
        }
        if (request.hDevNames != nullptr) {
            GlobalFree(request.hDevNames);
        }
        if (request.hDC != nullptr) {
            DeleteDC(request.hDC);
        }
    }
    DialogResult(const DialogResult&) = delete;
    DialogResult& operator=(const DialogResult&) = delete;
};

// The default printer's settings, asked for without showing the dialog, unless kept already.
// Without any printer there is nothing to set up or print to, and the user is told so rather
// than the command doing nothing.
bool ensure_printer_settings(HWND owner) {
    if (g_printer_settings != nullptr) {
        return true;
    }
    DialogResult defaults;
    defaults.request.Flags = PD_RETURNDEFAULT;
    if (!PrintDlgA(&defaults.request) || defaults.request.hDevMode == nullptr) {
        ReportError(owner, MessageId::no_printer);
        return false;
    }
    g_printer_settings = copy_block(defaults.request.hDevMode);
    return g_printer_settings != nullptr;
}

INT_PTR CALLBACK printing_dialog_procedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            // The document's name is in place before the dialog can be seen or found.
            SetDlgItemTextA(dialog, IDC_PRINTING_DOCUMENT, reinterpret_cast<const char*>(l));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(w) == IDCANCEL) {
                g_printing.proceed = false;
                DestroyWindow(dialog);
                g_printing.dialog = nullptr;
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

// Passes every waiting message on (the printing dialog's through its dialog filter) and
// answers whether printing may go on.
BOOL CALLBACK abort_procedure(HDC, int) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The application is ending: the job is given up and the loop still gets its quit.
            g_printing.proceed = false;
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (g_printing.dialog == nullptr || !IsDialogMessageA(g_printing.dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return g_printing.proceed ? TRUE : FALSE;
}

// The job's window disabled and the printing dialog shown for as long as the job runs; on any
// way out the window is enabled again and the dialog goes, and an unfinished document is
// aborted.
class JobFrame {
public:
    JobFrame(HWND window, HDC dc, const std::string& name) : window_(window), dc_(dc) {
        SetAbortProc(dc_, &abort_procedure);
        g_printing.proceed = true;
        g_printing.dialog =
            CreateDialogParamA(app_state().instance, MAKEINTRESOURCEA(IDD_PRINTING), window,
                               &printing_dialog_procedure, reinterpret_cast<LPARAM>(name.c_str()));
        if (g_printing.dialog != nullptr) {
            centre_on_screen(g_printing.dialog);
            ShowWindow(g_printing.dialog, SW_SHOW);
        }
        EnableWindow(window_, FALSE);
    }
    ~JobFrame() {
        if (started_) {
            AbortDoc(dc_);
        }
        close_dialog();
        EnableWindow(window_, TRUE);
    }
    JobFrame(const JobFrame&) = delete;
    JobFrame& operator=(const JobFrame&) = delete;

    bool start(const std::string& name) {
        DOCINFOA info{};
        info.cbSize = sizeof info;
        info.lpszDocName = name.c_str();
        started_ = StartDocA(dc_, &info) > 0;
        return started_;
    }
    // Ends the document when printing may go on and the pages went through; aborts it
    // otherwise, so nothing reaches the printer.
    void finish(bool pages_ok) {
        abort_procedure(dc_, 0);
        if (g_printing.proceed && pages_ok) {
            close_dialog();
            EndDoc(dc_);
        } else {
            AbortDoc(dc_);
        }
        started_ = false;
    }

private:
    static void close_dialog() {
        if (g_printing.dialog != nullptr) {
            DestroyWindow(g_printing.dialog);
            g_printing.dialog = nullptr;
        }
    }

    HWND window_;
    HDC dc_;
    bool started_ = false;
};

std::string window_title(HWND window) {
    char title[MAX_PATH + 1] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

void run_job(HWND window, HDC dc, const print::PrintLayout& layout) {
    const print::PageDescription page = print::device_page(dc);
    if (!layout.fits(page)) {
        return;
    }
    const std::string name = window_title(window);
    JobFrame frame(window, dc, name);
    if (!frame.start(name)) {
        return;
    }
    abort_procedure(dc, 0);
    // The body font goes with the job however the layout ends, an exception included.
    const std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)> body_font(
        print::printer_body_font(dc), &DeleteObject);
    bool printed = false;
    bool pages_ok = false;
    {
        print::GdiSurface surface(dc, body_font.get());
        printed = layout.draw(surface, page);
        pages_ok = surface.ok() && surface.pages() > 0;
    }
    frame.finish(printed && pages_ok);
}

// The layout of the active program editor.
std::optional<print::PrintLayout> editor_layout(HWND editor) {
    if (!is_editor(editor)) {
        ReportError(app_state().frame, MessageId::no_memory);
        return std::nullopt;
    }
    std::string title = edit_box_text(editor_title_box(editor));
    if (title.size() > kTitleCharacters) {
        title.resize(kTitleCharacters);
    }
    return print::program_layout(
        {editor_path(editor), std::move(title), edit_box_text(editor_text_box(editor))});
}

// A slide show prints every page with its number, under the title as edited.
std::optional<print::PrintLayout> slide_show_layout(HWND window) {
    auto contents = slide_show_contents(window);
    if (!contents) {
        return std::nullopt;
    }
    std::vector<print::SlidePicture> slides;
    int number = 0;
    for (const image::ScreenData& page : contents->pages) {
        slides.push_back(
            {++number, image::kWideWidth, image::kScreenHeight, image::unframed_pixels(page)});
    }
    return print::slides_layout(std::move(contents->path), std::move(contents->title),
                                std::move(slides), image::kWideWidth);
}

std::optional<print::PrintLayout> layout_of(DocumentKind kind, HWND window) {
    if (kind == DocumentKind::program_editor) {
        return editor_layout(window);
    }
    if (kind == DocumentKind::screen_image) {
        return ScreenImagePrintLayout(window);
    }
    if (kind == DocumentKind::slide_show) {
        return slide_show_layout(window);
    }
    const auto printer = document_printers().find(kind);
    if (printer == document_printers().end()) {
        return std::nullopt;
    }
    return printer->second(window);
}

}  // namespace

void set_document_printer(DocumentKind kind, DocumentPrinter printer) {
    document_printers()[kind] = std::move(printer);
}

void PrintSetup(HWND owner) {
    if (!ensure_printer_settings(owner)) {
        return;
    }
    DialogResult setup;
    setup.request.hwndOwner = owner;
    setup.request.hDevMode = copy_block(g_printer_settings);
    setup.request.Flags = PD_PRINTSETUP | PD_RETURNDC | PD_NOSELECTION;
    if (PrintDlgA(&setup.request) && setup.request.hDevMode != nullptr) {
        GlobalFree(g_printer_settings);
        g_printer_settings = setup.request.hDevMode;
        setup.request.hDevMode = nullptr;
    }
}

void Print(HWND owner) {
    if (!ensure_printer_settings(owner)) {
        return;
    }
    const AppState& state = app_state();
    const DocumentKind kind = state.documents.current_kind();
    HWND window = reinterpret_cast<HWND>(state.documents.active(DocumentKind::any));
    if (window == nullptr) {
        return;
    }
    // When the dialog or the layout fails (out of memory, a driver fault), the job frame has
    // already made the window usable again, and the dialog is offered once more.
    print::run_with_retries([&] {
        DialogResult dialog;
        dialog.request.hwndOwner = owner;
        dialog.request.hDevMode = copy_block(g_printer_settings);
        dialog.request.nCopies = 1;
        dialog.request.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE |
                               PD_USEDEVMODECOPIESANDCOLLATE;
        if (!PrintDlgA(&dialog.request) || dialog.request.hDC == nullptr) {
            return;
        }
        if (const auto layout = layout_of(kind, window)) {
            run_job(window, dialog.request.hDC, *layout);
        }
    });
}

void ReleasePrinterSettings() {
    if (g_printer_settings != nullptr) {
        GlobalFree(g_printer_settings);
        g_printer_settings = nullptr;
    }
}

bool printer_settings_kept() {
    return g_printer_settings != nullptr;
}

}  // namespace travex::win32
