// A firmware image is outside input: any bytes under any name are judged without harm, and one
// that passes is long enough for everything the layout reads from it. The first byte picks the
// name (or takes a name from the input); the rest is the image, over a layout small enough for
// the fuzzer to reach the model field and the sum.
#include <string>

#include "base/le_bytes.h"
#include "fuzz_check.h"
#include "repro/firmware_image.h"
#include "repro/repro_packets.h"
#include "tests/unit/fault_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace travex::repro;
    if (size < 1) {
        return 0;
    }
    static const char* const kNames[] = {"dir/rq7310_ver123.bin", "RQ7310_ver123.bin",
                                         "rq7310_ver1a3.bin", "c:\\x\\rq7310_ver999.bin"};
    const std::size_t name_length =
        data[0] < 200 ? 0 : std::min<std::size_t>(size - 1, data[0] - 200u);
    const std::string path = data[0] < 200
                                 ? std::string(kNames[data[0] % 4])
                                 : std::string(travex::fuzz::text_of(data + 1, name_length));
    travex::testing::FaultFileSystem files;
    files.put(path, travex::Bytes(data + 1 + name_length, data + size));
    const FlashLayout layout{.from_start = 0x1000,
                             .large = {0x1000, 0x1000 + 0x3000, 0x1000},
                             .small = {0x4000, 0x4000 + 0x100, 0x80},
                             .size = 11910,
                             .check_sum_addr = 11908};
    const ImageCheck check = check_firmware_image(files, path, layout);
    if (!check.image) {
        travex::fuzz::fail_if(check.failure.text.empty());
        return 0;
    }
    const travex::Bytes& image = check.image->bytes;
    travex::fuzz::fail_if(image.size() < image_length_needed(layout) ||
                          image_sum(image, layout.size) !=
                              travex::read_u16le(image, layout.check_sum_addr));
    for (const PlannedPage& p : plan_pages(layout, image)) {
        travex::fuzz::fail_if(std::uint64_t{p.offset} + p.length > image.size());
    }
    return 0;
}
