#include "cli/command.h"
#include "cli/print_document.h"

namespace travex::cli {

int write_print_pdf(const std::string& out, const print::PrintLayout&, print::Paper,
                    const std::optional<std::string>&) {
    return fail(out,
                "PDF printing needs the Linux build of travex-cli; on Windows print from "
                "TRAVEX.exe (File > Print)");
}

}  // namespace travex::cli
