// Arbitrary bytes as a calculator file of every type letter: reading for sending never crashes,
// an accepted file gives the payload length its type promises and builds a file again, and the
// header's name bytes become a plain file name when received.
#include <string>

#include "files/calc_file.h"
#include "files/file_kind.h"
#include "files/received_item.h"
#include "fuzz_check.h"
#include "tests/unit/fault_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace travex;
    using fuzz::fail_if;
    testing::FaultFileSystem fs;
    for (const char letter : std::string("bgdyeilnmpstwvzqBP")) {
        const std::string path = std::string("item.g6") + letter;
        fs.put(path, Bytes(data, data + size));
        for (int model : {2, 4, 5}) {
            const SendableFile sent = read_file_for_sending(fs, path, model);
            if (sent.result != FileResult::ok) {
                fail_if(!sent.payload.empty());
                continue;
            }
            const PayloadForm form = find_file_type(letter)->payload_form;
            const std::size_t lost = form == PayloadForm::name_zero_body ? 42
                                     : form == PayloadForm::name_body    ? 43
                                                                         : 54;
            fail_if(size < kHeaderSize || sent.payload.size() != size - lost ||
                    sent.item_name.has_value() != (sent.send_class == kSendClassNamed));
            fail_if(!build_file_from_payload(path, sent.payload, ItemName{}, Title{}));
        }
    }
    const std::string name =
        received_item_file_name(std::span(data, std::min<std::size_t>(size, 11)), '6', 'p');
    fail_if(name.empty() || name.find_first_of("/\\:*?\"<>|") != std::string::npos);
    for (const char c : name) {
        fail_if(static_cast<unsigned char>(c) < 0x20 || c == 0x7F);
    }
    const std::string leaf = safe_leaf_name(fuzz::text_of(data, size));
    fail_if(leaf == "." || leaf == ".." || leaf.empty() || leaf.find_first_of("/\\") != leaf.npos);
    return 0;
}
