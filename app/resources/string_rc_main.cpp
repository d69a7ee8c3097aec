// Build-time host tool: writes the STRINGTABLE resource script of TRAVEX.exe from the string
// table, so that the resources and the portable code read the same strings.
#include <cstdio>
#include <string>

#include "resources/resource_text.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: string_rc OUTPUT.rc\n");
        return 2;
    }
    const std::string script = travex::string_table_resource_script();
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "%s: cannot be created\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(script.data(), 1, script.size(), out) == script.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[1]);
        return 1;
    }
    return 0;
}
