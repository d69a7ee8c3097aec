#pragma once
// A profile store over an INI file read and written whole through the FileSystem: the rules of
// the Win32 private-profile functions for what the settings need (sections and keys found
// without regard to case, the first match wins, integers read like GetPrivateProfileInt), and
// writes that change one line and keep every other byte of the file.
#include <string>
#include <string_view>

#include "base/file_system.h"
#include "settings/profile_store.h"

namespace travex {

class IniProfileStore final : public ProfileStore {
public:
    IniProfileStore(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}

    int get_int(std::string_view section, std::string_view key, int default_value) override;
    std::string get_string(std::string_view section, std::string_view key,
                           std::string_view default_value) override;
    bool write_string(std::string_view section, std::string_view key,
                      std::string_view value) override;

    const std::string& path() const { return path_; }

private:
    FileSystem& files_;
    std::string path_;
};

// Reads an integer the way the profile integer reader does: blanks and control characters
// skipped, an optional sign, an optional "0x", "0o" or "0b" base prefix, then digits up to the
// first other character, wrapping at 32 bits.
int parse_profile_int(std::string_view text);

}  // namespace travex
