#pragma once
// The checks of the Send Files dialog's OK before anything travels: a backup goes alone, and
// every name carries an extension the calculator of the running model takes.
#include <string>
#include <vector>

namespace travex::link {

struct SendSelectionCheck {
    enum class Result { ok, backup_conflict, bad_extension } result = Result::ok;
    std::string failing_name;  // the last name with a wrong extension
};
SendSelectionCheck check_send_selection(const std::vector<std::string>& paths, int model_code);

}  // namespace travex::link
