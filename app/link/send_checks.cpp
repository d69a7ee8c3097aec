#include "link/send_checks.h"

#include <cctype>
#include <string_view>

namespace travex::link {
namespace {

constexpr std::string_view kTransmittableLetters = "bdyeilnmpstwvz";

// The model digits (the middle letter of the extension) the calculator of a model code takes.
std::string_view accepted_digits(int model_code) {
    switch (model_code) {
        case 2:
            return "2";
        case 3:
            return "3";
        case 4:
            return "46";
        case 5:
            return "35";
        default:
            return "";
    }
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string base_name(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

SendSelectionCheck check_send_selection(const std::vector<std::string>& paths, int model_code) {
    SendSelectionCheck check;
    bool conflict = false;
    bool bad = false;
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        const std::string name = base_name(*it);
        const std::size_t dot = name.rfind('.');
        const std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
        const bool good_extension =
            ext.size() == 3 && lower(ext[0]) == 'g' &&
            accepted_digits(model_code).find(ext[1]) != std::string_view::npos &&
            kTransmittableLetters.find(lower(ext[2])) != std::string_view::npos;
        if (!good_extension) {
            // Names are tested last to first; the message names the last one that failed.
            bad = true;
            check.failing_name = *it;
        }
        if (ext.size() == 3 && lower(ext[2]) == 'b' && paths.size() > 1) {
            conflict = true;
        }
    }
    if (conflict) {
        check.result = SendSelectionCheck::Result::backup_conflict;
    } else if (bad) {
        check.result = SendSelectionCheck::Result::bad_extension;
    }
    return check;
}

}  // namespace travex::link
