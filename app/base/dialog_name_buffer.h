#pragma once
// The file-name buffer handed to the system's file dialogs. It holds any path the system
// accepts (32,767 characters and a terminator), so a long name typed into a dialog never
// overruns it; the application's own limit on path length (names of 256 characters or more
// are refused with message 428) is applied to the name that comes back, not left to the size
// of this buffer.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace travex {

class DialogNameBuffer {
public:
    static constexpr std::uint32_t kLength = 32768;

    DialogNameBuffer() : chars_(kLength, '\0') {}
    // A buffer that starts with a proposed name (cut to fit).
    explicit DialogNameBuffer(std::string_view proposed) : DialogNameBuffer() {
        std::copy_n(proposed.begin(), std::min<std::size_t>(proposed.size(), kLength - 1),
                    chars_.begin());
    }

    char* data() { return chars_.data(); }
    std::uint32_t length() const { return kLength; }

    // The name up to its terminator (the whole buffer if a dialog left none).
    std::string text() const {
        const auto end = std::find(chars_.begin(), chars_.end(), '\0');
        return std::string(chars_.begin(), end);
    }

private:
    std::vector<char> chars_;
};

// The length of the path a file dialog makes of a typed name in the folder it shows: a name
// with a drive (C:...) or a network path (two backslashes first) stands alone, a name from the
// root (one backslash first) takes the folder's drive, any other name is joined to the folder
// with one backslash.
inline std::size_t chosen_path_length(std::string_view folder, std::string_view typed) {
    if ((typed.size() >= 2 && typed[1] == ':') || typed.starts_with("\\\\")) {
        return typed.size();
    }
    if (typed.starts_with('\\')) {
        return std::min<std::size_t>(folder.size(), 2) + typed.size();
    }
    const bool separated = folder.empty() || folder.ends_with('\\');
    return folder.size() + (separated ? 0 : 1) + typed.size();
}

}  // namespace travex
