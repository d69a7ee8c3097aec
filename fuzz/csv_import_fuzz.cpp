// CSV from anywhere into a list or matrix file: a file is built only within the size a data file
// may have, and every file built exports to CSV that imports to the same data again (and to the
// same file whenever the export does not warn that its title does not survive).
#include <algorithm>

#include "files/calc_file.h"
#include "files/data_csv.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using travex::fuzz::fail_if;
    if (size == 0) {
        return 0;
    }
    // The first byte chooses a list or a matrix; the rest is the CSV text.
    const char letter = (data[0] & 1) != 0 ? 'm' : 'l';
    const auto csv = travex::fuzz::text_of(data + 1, size - 1);
    const auto made = travex::data_file_from_csv(csv, letter, std::nullopt, std::nullopt);
    if (!made.error.empty()) {
        fail_if(!made.file.empty());
        return 0;
    }
    fail_if(made.file.size() > travex::kHeaderSize + travex::kMaxImportedBody);
    const travex::CsvExport text = travex::data_file_to_csv(made.file);
    const auto again = travex::data_file_from_csv(text.text, letter, std::nullopt, std::nullopt);
    fail_if(!text.error.empty() || !again.error.empty() ||
            !std::ranges::equal(std::span(again.file).subspan(travex::kHeaderSize),
                                std::span(made.file).subspan(travex::kHeaderSize)) ||
            (!text.differs_on_import && again.file != made.file));
    return 0;
}
