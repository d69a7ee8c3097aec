// Save As names from arbitrary input: the extension rule never loses the typed folder and name,
// keeps a name it accepts whole, and ends a name it changes with one of the filter's extensions.
#include <algorithm>
#include <string>

#include "files/save_as_name.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the chosen filter (-8..247); the rest is "typed path\nfilter list".
    const std::string_view input = travex::fuzz::text_of(data + 1, size - 1);
    const std::size_t newline = std::min(input.find('\n'), input.size());
    const std::string_view typed = input.substr(0, newline);
    const std::string_view list = input.substr(std::min(newline + 1, input.size()));
    const std::string saved = travex::apply_save_extension(typed, list, data[0] - 8);
    if (saved == typed) {
        return 0;
    }
    // The name up to the last '.' of its last part (after a separator or a drive "C:") is kept.
    const std::size_t slash = typed.find_last_of("\\/");
    const std::size_t leaf = slash != typed.npos                    ? slash + 1
                             : typed.size() >= 2 && typed[1] == ':' ? 2
                                                                    : 0;
    const std::size_t dot = typed.rfind('.');
    const std::string_view kept = dot != typed.npos && dot >= leaf ? typed.substr(0, dot) : typed;
    const auto extensions = travex::filter_extensions(list);
    travex::fuzz::fail_if(saved.compare(0, kept.size(), kept) != 0 ||
                          std::ranges::find(extensions, saved.substr(kept.size())) ==
                              extensions.end());
    return 0;
}
