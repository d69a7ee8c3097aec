// The calculator font WTMQV7.TTF beside the executable is made available to every program for
// the run of the application, through a font resource file created next to it.
#include <windows.h>

#include "frame/frame_win32.h"
#include "window/message_table.h"

namespace travex::win32 {
namespace {

// The path that was added, so that the same one is removed at exit.
std::string added_path;

void announce_font_change() {
    // Posted, not sent: a sent broadcast waits on every top-level window of every program, and
    // a few busy ones would hold up start-up and exit for their full time-outs.
    PostMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
}

}  // namespace

std::string application_folder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    const auto slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

void InstallFont(bool on) {
    if (!on) {
        if (!added_path.empty()) {
            RemoveFontResourceA(added_path.c_str());
            added_path.clear();
        }
        announce_font_change();
        return;
    }
    const std::string folder = application_folder();
    const std::string resource_file = folder + "\\WTMQV7_0.FOT";
    // A resource file left by an earlier run is simply used again.
    CreateScalableFontResourceA(0, resource_file.c_str(), "WTMQV7.TTF", folder.c_str());
    if (AddFontResourceA(resource_file.c_str()) > 0) {
        added_path = resource_file;
    } else {
        // Where the folder cannot take the resource file, the font file itself can still be
        // added.
        const std::string font_file = folder + "\\WTMQV7.TTF";
        if (AddFontResourceA(font_file.c_str()) > 0) {
            added_path = font_file;
        } else {
            ReportError(nullptr, MessageId::font_not_installed);
        }
    }
    announce_font_change();
}

}  // namespace travex::win32
