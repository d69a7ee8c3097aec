// Every data export on arbitrary bodies: the heading first, whole lines only, and the checked
// form agrees with the limit.
#include <string>

#include "codec/data_export.h"
#include "codec/text_limits.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using enum travex::DataType;
    for (const auto type :
         {list, list_database, matrix, table_setup, window_setup, data_variable, zoom}) {
        const std::string text = travex::export_data(type, std::span(data, size));
        const auto checked = travex::export_data_checked(type, std::span(data, size));
        travex::fuzz::fail_if(text.size() < 4 || text[0] != ';' || !text.ends_with("\r\n") ||
                              checked.has_value() != (text.size() <= travex::kMaxConvertedText) ||
                              (checked && *checked != text));
    }
    return 0;
}
