// The transfer progress window: one centred line of text and a Cancel button that asks the link
// engine to stop at its next step.
#include <windows.h>

#include <string>

#include "frame/frame_win32.h"
#include "frame/link_shell_win32.h"
#include "link/progress_text.h"
#include "resources/string_table.h"

namespace travex::win32 {

void link_request_abort(bool rewrite_steps);

namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 150;
constexpr int kCancelId = 22001;
constexpr int kShownTextId = 22002;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 90;
constexpr int kTextTop = 30;

class ProgressWindow final : public link::ProgressSink {
public:
    void show(TextId title, int total_units, bool cancel_rewrites) override {
        close();
        total_ = total_units;
        done_ = 0;
        text_.clear();
        cancel_rewrites_ = cancel_rewrites;
        AppState& state = app_state();
        const std::string caption(string_text(string_id(title)).value_or(""));
        window_ = CreateWindowExA(0, "PCRunWClass", caption.c_str(), WS_VISIBLE | WS_BORDER,
                                  (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2, kWidth, kHeight,
                                  state.frame, nullptr, state.instance, nullptr);
        if (window_ == nullptr) {
            return;
        }
        RECT client;
        GetClientRect(window_, &client);
        CreateWindowExA(0, "BUTTON", "&Cancel", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON,
                        (client.right - kButtonWidth) / 2, kButtonTop, kButtonWidth, kButtonHeight,
                        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)),
                        state.instance, nullptr);
        // The line as shown, for automation tools that cannot read what is painted.
        CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kShownTextId)), state.instance,
                        nullptr);
        UpdateWindow(window_);
    }

    void advance(int units, std::string_view text) override {
        if (window_ == nullptr) {
            return;
        }
        if (units < 0) {
            close();
            return;
        }
        done_ += units;
        if (!text.empty()) {
            text_ = std::string(text);
            InvalidateRect(window_, nullptr, TRUE);
            UpdateWindow(window_);
        }
        if (done_ >= total_) {
            close();
        }
    }

    void show_line(TextId text) override { advance(0, string_text(string_id(text)).value_or("")); }

    bool is_open() const override { return window_ != nullptr; }

    void flash() override {
        if (window_ != nullptr) {
            FlashWindow(window_, TRUE);
        }
    }

    void paint(HWND window) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        const auto width_of = [dc](std::string_view text) {
            SIZE size{};
            GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
            return static_cast<int>(size.cx);
        };
        const std::string shown = link::fit_progress_text(text_, client.right, width_of);
        const int x = (client.right - width_of(shown)) / 2;
        TextOutA(dc, x, kTextTop, shown.c_str(), static_cast<int>(shown.size()));
        SetDlgItemTextA(window, kShownTextId, shown.c_str());
        EndPaint(window, &paint);
    }

    void cancel() { link_request_abort(cancel_rewrites_); }

    void destroyed(HWND window) {
        if (window == window_) {
            window_ = nullptr;
        }
    }

    HWND window() const { return window_; }

private:
    void close() {
        if (window_ != nullptr) {
            // WM_CLOSE destroys the window through the default procedure.
            SendMessageA(window_, WM_CLOSE, 0, 0);
            window_ = nullptr;
        }
    }

    HWND window_ = nullptr;
    std::string text_;
    int total_ = 0;
    int done_ = 0;
    bool cancel_rewrites_ = false;
};

ProgressWindow& the_window() {
    static ProgressWindow window;
    return window;
}

}  // namespace

link::ProgressSink& progress_window() {
    return the_window();
}

void raise_progress_window() {
    if (HWND window = the_window().window()) {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
}

LRESULT CALLBACK progress_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_PAINT:
            the_window().paint(window);
            return 0;
        case WM_COMMAND:
            if (LOWORD(w) == kCancelId) {
                the_window().cancel();
                return 0;
            }
            break;
        case WM_DESTROY:
            the_window().destroyed(window);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, w, l);
}

}  // namespace travex::win32
