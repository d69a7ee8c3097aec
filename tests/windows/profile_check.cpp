// Prints what the Win32 private-profile functions read for section/key pairs of an INI file:
// "KEY int=N string=<S>" with -777 and <dflt> as the defaults, one line per key.
// usage: profile_check INI_PATH SECTION KEY...
#include <cstdio>

#include "settings/profile_store_win32.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: profile_check INI_PATH SECTION KEY...\n");
        return 2;
    }
    travex::Win32ProfileStore store(argv[1]);
    for (int i = 3; i < argc; ++i) {
        std::printf("%s int=%d string=<%s>\n", argv[i], store.get_int(argv[2], argv[i], -777),
                    store.get_string(argv[2], argv[i], "dflt").c_str());
    }
    return 0;
}
