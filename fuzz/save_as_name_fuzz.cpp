// Save As names and filter lists from arbitrary input: the extension rule never loses the typed
// folder and name, keeps a name it accepts whole, and ends any name it changes with an
// extension of the chosen filter's list.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/save_as_name.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the chosen filter (-8..247); the rest is "typed path\nfilter list".
    const int chosen = static_cast<int>(data[0]) - 8;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t newline = input.find('\n');
    const std::string_view typed = input.substr(0, newline);
    const std::string_view list =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    const auto extensions = travex::filter_extensions(list);
    for (const std::string& extension : extensions) {
        travex::fuzz::fail_if(extension.empty() || extension.front() != '.' ||
                              extension.find_first_of("|;") != std::string::npos);
    }
    const std::string saved = travex::apply_save_extension(typed, list, chosen);
    if (saved == typed) {
        return 0;
    }
    // A changed name keeps everything up to the last '.' of its last part (after the last
    // separator, or after a drive "C:") and ends with one of the list's extensions.
    const std::size_t slash = typed.find_last_of("\\/");
    const std::size_t leaf = slash != std::string_view::npos        ? slash + 1
                             : typed.size() >= 2 && typed[1] == ':' ? 2
                                                                    : 0;
    const std::size_t dot = typed.rfind('.');
    const bool has_extension = dot != std::string_view::npos && dot >= leaf;
    const std::string_view kept = has_extension ? typed.substr(0, dot) : typed;
    travex::fuzz::fail_if(saved.compare(0, kept.size(), kept) != 0);
    const std::string_view added = std::string_view(saved).substr(kept.size());
    travex::fuzz::fail_if(std::find(extensions.begin(), extensions.end(), added) ==
                          extensions.end());
    travex::fuzz::fail_if(travex::dialog_filter(list).size() != list.size());
    return 0;
}
