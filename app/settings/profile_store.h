#pragma once
// A private profile file (an INI file) as the settings code sees it: integer and text values by
// section and key, looked up without regard to case, and single values written in place. Two
// implementations: the Win32 profile functions, and a portable INI file store.
#include <string>
#include <string_view>

namespace travex {

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The value read as an integer (leading blanks, an optional sign, an optional 0x/0o/0b base
    // prefix, then digits up to the first other character; no digits gives 0); default_value
    // when the key is missing or its value is empty.
    virtual int get_int(std::string_view section, std::string_view key, int default_value) = 0;
    // The value with surrounding blanks (and one pair of matching quotes) removed, or
    // default_value when the key is missing.
    virtual std::string get_string(std::string_view section, std::string_view key,
                                   std::string_view default_value) = 0;
    // Sets the value, creating the file, section or key when missing and keeping everything
    // else in the file. False when the file could not be written.
    virtual bool write_string(std::string_view section, std::string_view key,
                              std::string_view value) = 0;
};

}  // namespace travex
