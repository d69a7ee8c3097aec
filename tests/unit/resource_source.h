#pragma once
// The resource script and the resource-id header as the resource compiler reads them, for the
// tests that check the C++ tables against them.
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace travex::testing {

inline std::string read_source_file(const std::string& relative) {
    std::ifstream in(std::string(TRAVEX_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every "#define NAME number" of resources/resource_ids.h.
inline std::map<std::string, int> resource_ids() {
    std::map<std::string, int> ids;
    const std::string header = read_source_file("app/resources/resource_ids.h");
    const std::regex define(R"(#define (\w+) (\d+))");
    for (auto it = std::sregex_iterator(header.begin(), header.end(), define);
         it != std::sregex_iterator(); ++it) {
        ids[(*it)[1]] = std::stoi((*it)[2]);
    }
    return ids;
}

// The names that follow a pattern's first group in travex.rc, in file order.
inline std::vector<std::string> rc_names(const std::string& pattern) {
    std::vector<std::string> names;
    const std::string rc = read_source_file("app/resources/travex.rc");
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(rc.begin(), rc.end(), re); it != std::sregex_iterator();
         ++it) {
        names.push_back((*it)[1]);
    }
    return names;
}

}  // namespace travex::testing
