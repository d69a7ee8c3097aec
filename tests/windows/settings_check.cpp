// Reads the settings from an INI file with the Win32 profile functions and prints them; with a
// section and keys, prints instead what the profile functions read for each key:
// "KEY int=N string=<S>" with -777 and <dflt> as the defaults.
// usage: settings_check INI_PATH [SECTION KEY...]
#include <cstdio>

#include "settings/profile_store_win32.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: settings_check INI_PATH [SECTION KEY...]\n");
        return 2;
    }
    travex::Win32ProfileStore store(argv[1]);
    for (int i = 3; i < argc; ++i) {
        std::printf("%s int=%d string=<%s>\n", argv[i], store.get_int(argv[2], argv[i], -777),
                    store.get_string(argv[2], argv[i], "dflt").c_str());
    }
    if (argc > 2) {
        return 0;
    }
    travex::Win32FolderQueries folders;
    travex::Settings s = travex::read_settings(store, folders);
    std::printf(
        "window_limit=%d\nmodel=%d\nport_index=%d\nfont_size_index=%d\nmaximised=%d\n"
        "toolbar=%d\nkeyboard=%d\ntimer_interval_ms=%d\nretry_count=%d\nout_buffer=%d\n"
        "data_folder=%s\n",
        s.window_limit, s.model, s.port_index, s.font_size_index, s.maximised ? 1 : 0, s.toolbar,
        s.keyboard, s.timer_interval_ms, s.retry_count, s.out_buffer,
        s.data_folder == folders.desktop_folder() ? "(desktop)" : s.data_folder.c_str());
    // The end of the settings path, and whether its folder is there now (building the path
    // creates it).
    const std::string path = travex::win32_settings_file();
    const std::size_t maker = path.rfind("\\ZELTA\\");
    std::printf("settings file=%s\nsettings folder exists=%d\n",
                maker == std::string::npos ? path.c_str() : path.substr(maker).c_str(),
                folders.folder_exists(path.substr(0, path.find_last_of('\\'))) ? 1 : 0);
    return 0;
}
