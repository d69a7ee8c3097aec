// Build-time host tool: writes the keyboard panel's labels and their boxes for the artwork
// script, so that the picture prints what the application's key layout holds.
#include <cstdio>
#include <string>

#include "panels/keyboard_labels.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: keyboard_labels OUTPUT.tsv\n");
        return 2;
    }
    const std::string lines = travex::keyboard_label_lines();
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "%s: cannot be created\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(lines.data(), 1, lines.size(), out) == lines.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[1]);
        return 1;
    }
    return 0;
}
