#include "settings/profile_store_win32.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

namespace travex {
namespace {

// Long enough for any value the application stores; the settings rules bound the data folder.
constexpr DWORD kValueBufferSize = 4096;

std::optional<std::string> shell_folder(int csidl) {
    char path[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return std::nullopt;
    }
    return std::string(path);
}

}  // namespace

int Win32ProfileStore::get_int(std::string_view section, std::string_view key, int default_value) {
    return static_cast<int>(GetPrivateProfileIntA(
        std::string(section).c_str(), std::string(key).c_str(), default_value, path_.c_str()));
}

std::string Win32ProfileStore::get_string(std::string_view section, std::string_view key,
                                          std::string_view default_value) {
    std::vector<char> buffer(kValueBufferSize);
    const DWORD n = GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                             std::string(default_value).c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path_.c_str());
    return std::string(buffer.data(), n);
}

bool Win32ProfileStore::write_string(std::string_view section, std::string_view key,
                                     std::string_view value) {
    return WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                      std::string(value).c_str(), path_.c_str()) != 0;
}

std::optional<std::string> win32_settings_path() {
    auto folder = shell_folder(CSIDL_APPDATA);
    if (!folder) {
        return std::nullopt;
    }
    std::string path = *folder;
    for (std::string_view part : {kSettingsMakerFolder, kSettingsProductFolder}) {
        path.push_back('\\');
        path.append(part);
        CreateDirectoryA(path.c_str(), nullptr);
    }
    path.push_back('\\');
    path.append(kSettingsFileName);
    // The application's path buffers hold 260 characters.
    if (path.size() >= MAX_PATH) {
        return std::nullopt;
    }
    return path;
}

std::string win32_settings_file() {
    return win32_settings_path().value_or(std::string(kSettingsFileName));
}

bool Win32FolderQueries::folder_exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Win32FolderQueries::desktop_folder() {
    return shell_folder(CSIDL_DESKTOPDIRECTORY).value_or(std::string());
}

}  // namespace travex
