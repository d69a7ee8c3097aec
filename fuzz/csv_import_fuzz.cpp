// CSV from anywhere into a list or matrix file: no crash, a file is built only within the size a
// data file may have, and every file built exports to CSV that imports to the same data again
// (and to the same file whenever the export does not warn that its title does not survive).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "files/calc_file.h"
#include "files/data_csv.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte chooses a list or a matrix; the rest is the CSV text.
    const char letter = (data[0] & 1) != 0 ? 'm' : 'l';
    const std::string_view csv(reinterpret_cast<const char*>(data + 1), size - 1);
    const travex::CsvImport made =
        travex::data_file_from_csv(csv, letter, std::nullopt, std::nullopt);
    if (!made.error.empty()) {
        travex::fuzz::fail_if(!made.file.empty());
        return 0;
    }
    travex::fuzz::fail_if(made.file.size() > travex::kHeaderSize + travex::kMaxImportedBody);
    const travex::CsvExport text = travex::data_file_to_csv(made.file);
    travex::fuzz::fail_if(!text.error.empty());
    const travex::CsvImport again =
        travex::data_file_from_csv(text.text, letter, std::nullopt, std::nullopt);
    const auto body = [](const travex::Bytes& file) {
        return std::span(file).subspan(std::min(file.size(), travex::kHeaderSize));
    };
    travex::fuzz::fail_if(!again.error.empty() ||
                          !std::ranges::equal(body(again.file), body(made.file)) ||
                          (!text.differs_on_import && again.file != made.file));
    return 0;
}
