// Arbitrary bytes as a calculator file of every type letter: reading for sending must never
// crash, and a file it accepts must give a payload of the length its type promises. The name
// bytes of the header also go through the received-item naming, which must give a plain name.
#include <cstdint>
#include <string>

#include "files/calc_file.h"
#include "files/file_kind.h"
#include "files/received_item.h"
#include "fuzz_check.h"
#include "tests/unit/fault_file_system.h"

namespace {

void check(bool condition) {
    travex::fuzz::fail_if(!condition);
}

std::size_t expected_payload_length(std::size_t file_size, char letter) {
    switch (travex::find_file_type(letter)->payload_form) {
        case travex::PayloadForm::name_zero_body:
            return file_size - 42;
        case travex::PayloadForm::name_body:
            return file_size - 43;
        default:
            return file_size - 54;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const travex::Bytes file(data, data + size);
    travex::testing::FaultFileSystem fs;
    for (const char letter : std::string("bgdyeilnmpstwvzqBP")) {
        const std::string path = std::string("item.g6") + letter;
        fs.put(path, file);
        for (int model : {2, 4, 5}) {
            const travex::SendableFile sent = travex::read_file_for_sending(fs, path, model);
            if (sent.result != travex::FileResult::ok) {
                check(sent.payload.empty());
                continue;
            }
            check(size >= travex::kHeaderSize);
            check(sent.payload.size() == expected_payload_length(size, letter));
            check(sent.item_name.has_value() == (sent.send_class == travex::kSendClassNamed));
            const travex::FileType* type = travex::find_file_type(letter);
            if (type->payload_form == travex::PayloadForm::variable_code_body) {
                check(sent.payload[0] == data[2] && sent.payload[1] == data[3]);
            }
            // Back into a file: the body of the rebuilt file is the payload's body.
            const auto rebuilt = travex::build_file_from_payload(
                path, sent.payload, travex::ItemName{}, travex::Title{});
            check(rebuilt.has_value());
        }
    }

    const std::string name =
        travex::received_item_file_name(std::span(data, std::min<std::size_t>(size, 11)), '6', 'p');
    check(!name.empty() && name.find_first_of("/\\:*?\"<>|") == std::string::npos);
    for (const char c : name) {
        check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    }
    const std::string leaf =
        travex::safe_leaf_name(std::string_view(reinterpret_cast<const char*>(data), size));
    check(leaf != "." && leaf != ".." && !leaf.empty());
    check(leaf.find_first_of("/\\") == std::string::npos);
    (void)travex::file_kind_of(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
