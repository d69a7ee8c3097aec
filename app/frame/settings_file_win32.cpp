// The settings file TM-RZ4.INI in the user's roaming application-data folder, read and written
// with the private-profile functions.
#include <windows.h>

#include <shlobj.h>

#include "frame/frame_win32.h"
#include "frame/settings.h"

namespace travex::win32 {
namespace {

// Marks a key that is missing; no stored value consists of this character.
constexpr char kMissingText[] = "\x7F";

class ProfileFile final : public ProfileStore {
public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    int read_int(std::string_view key, int fallback) override {
        return static_cast<int>(GetPrivateProfileIntA(section().c_str(), std::string(key).c_str(),
                                                      fallback, path_.c_str()));
    }
    std::optional<std::string> read_string(std::string_view key) override {
        char value[260] = {};
        GetPrivateProfileStringA(section().c_str(), std::string(key).c_str(), kMissingText, value,
                                 sizeof value, path_.c_str());
        if (std::string_view(value) == kMissingText) {
            return std::nullopt;
        }
        return std::string(value);
    }
    void write_string(std::string_view key, std::string_view value) override {
        WritePrivateProfileStringA(section().c_str(), std::string(key).c_str(),
                                   std::string(value).c_str(), path_.c_str());
    }

private:
    static std::string section() { return std::string(kSettingsSection); }
    std::string path_;
};

std::string special_folder(int folder) {
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, folder, nullptr, 0, path))) {
        return {};
    }
    return path;
}

}  // namespace

std::string settings_path() {
    std::string path = special_folder(CSIDL_APPDATA);
    if (path.empty()) {
        return std::string(kSettingsFileName);
    }
    // The folders are made when missing; a failure shows later as unwritten settings.
    path += "\\ZELTA";
    CreateDirectoryA(path.c_str(), nullptr);
    path += "\\TM-RZ4 for RQ-7310";
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\" + std::string(kSettingsFileName);
}

void read_settings_file() {
    ProfileFile file(settings_path());
    app_state().settings =
        read_settings(file, special_folder(CSIDL_DESKTOPDIRECTORY), [](const std::string& folder) {
            const DWORD attributes = GetFileAttributesA(folder.c_str());
            return attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        });
}

void write_settings_file() {
    ProfileFile file(settings_path());
    const AppState& state = app_state();
    write_settings(file, state.settings, state.frame != nullptr && IsZoomed(state.frame));
}

}  // namespace travex::win32
