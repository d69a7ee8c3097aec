#pragma once
// The settings file on Windows: the private-profile functions, the file's place in the user's
// application-data folder, and the folder queries of the data folder rule.
#include <optional>
#include <string>

#include "settings/profile_store.h"
#include "settings/settings.h"

namespace travex {

class Win32ProfileStore final : public ProfileStore {
public:
    explicit Win32ProfileStore(std::string path) : path_(std::move(path)) {}
    int get_int(std::string_view section, std::string_view key, int default_value) override;
    std::string get_string(std::string_view section, std::string_view key,
                           std::string_view default_value) override;
    bool write_string(std::string_view section, std::string_view key,
                      std::string_view value) override;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// "<application data>\ZELTA\TM-RZ4 for RQ-7310\TM-RZ4.INI", creating the two folders when
// missing (failures to create are ignored); nothing when the application-data folder is not
// available.
std::optional<std::string> win32_settings_path();

// The settings file to use: the path above, or the bare file name when it is not available.
std::string win32_settings_file();

class Win32FolderQueries final : public FolderQueries {
public:
    bool folder_exists(const std::string& path) override;
    std::string desktop_folder() override;
};

}  // namespace travex
