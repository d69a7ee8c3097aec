// Every data export on arbitrary bodies: no read beyond the body, the heading first, whole
// lines only, and the checked form agrees with the limit.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "codec/data_export.h"
#include "codec/text_limits.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> body(data, size);
    constexpr travex::DataType kTypes[] = {
        travex::DataType::list,         travex::DataType::list_database,
        travex::DataType::matrix,       travex::DataType::table_setup,
        travex::DataType::window_setup, travex::DataType::data_variable,
        travex::DataType::zoom,
    };
    for (const auto type : kTypes) {
        const std::string text = travex::export_data(type, body);
        travex::fuzz::fail_if(text.size() < 4 || text[0] != ';' ||
                              text.compare(text.size() - 2, 2, "\r\n") != 0);
        const auto checked = travex::export_data_checked(type, body);
        travex::fuzz::fail_if(checked.has_value() != (text.size() <= travex::kMaxConvertedText) ||
                              (checked && *checked != text));
    }
    return 0;
}
