// The error report: every failure the user is told about goes through here.
#include <windows.h>

#include <algorithm>

#include "resources/string_resources_win32.h"
#include "resources/string_table.h"
#include "window/app_state_win32.h"
#include "window/message_table.h"

namespace travex::win32 {

void ReportError(HWND owner, MessageId message) {
    const auto content = error_report_content(message);
    if (!content) {
        return;
    }
    std::wstring text = load_string(string_id(message));
    if (text.empty()) {
        return;
    }
    text.resize(std::min(text.size(), kMessageTextLimit));
    const UINT icon = content->icon == MessageIcon::error ? MB_ICONERROR : MB_ICONWARNING;
    MessageBoxW(owner != nullptr ? owner : app_state().frame, text.c_str(), L"ZELTA TRAVEX",
                MB_OK | MB_TASKMODAL | icon);
}

std::wstring load_string(UINT id) {
    return load_string(app_state().instance, id);
}

}  // namespace travex::win32
