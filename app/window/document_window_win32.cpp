#include "window/document_window_win32.h"

#include "window/app_state_win32.h"

namespace travex::win32 {

void enter_document_window(HWND window, DocumentKind kind) {
    AppState& state = app_state();
    ++state.window_count;
    state.documents.add(reinterpret_cast<WindowId>(window), kind);
}

void activate_document_window(HWND window, DocumentKind kind) {
    AppState& state = app_state();
    state.documents.activate(reinterpret_cast<WindowId>(window), kind);
    SendMessageA(state.mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(state.document_menu),
                 reinterpret_cast<LPARAM>(GetSubMenu(state.document_menu, 5)));
    DrawMenuBar(state.frame);
}

bool may_close_after_asking(HWND window, const std::string& question,
                            const std::function<bool()>& save) {
    const int answer = MessageBoxA(window, question.c_str(), "ZELTA TRAVEX",
                                   MB_TASKMODAL | MB_ICONQUESTION | MB_YESNOCANCEL);
    if (answer == IDCANCEL) {
        return false;
    }
    return answer != IDYES || save();
}

bool closing_last_document() {
    // The count is 1 plus the open documents.
    return app_state().window_count <= 2;
}

void close_document_window(HWND window) {
    AppState& state = app_state();
    if (closing_last_document()) {
        SendMessageA(state.mdi_client, WM_MDISETMENU,
                     reinterpret_cast<WPARAM>(state.no_document_menu), 0);
        DrawMenuBar(state.frame);
    }
    --state.window_count;
    state.documents.remove(reinterpret_cast<WindowId>(window));
    SendMessageA(state.mdi_client, WM_MDINEXT, reinterpret_cast<WPARAM>(window), 0);
    SendMessageA(state.mdi_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
}

}  // namespace travex::win32
