// A firmware image is outside input: any bytes under any name must be judged without harm, and
// one that passes must be long enough for everything the layout reads from it. The first byte
// picks the name, so the name checks are fuzzed too; the rest is the image, laid over a layout
// small enough for the fuzzer to reach the model field and the sum.
#include <cstdint>
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
    const std::uint8_t pick = data[0];
    // Names that pass, fail by case, length or digits, and the fuzzer's own bytes.
    static const char* const kNames[] = {"dir/rq7310_ver123.bin", "RQ7310_ver123.bin",
                                         "rq7310_ver123.BIN",     "rq7310_ver1a3.bin",
                                         "rq7310_ver1234.bin",    "c:\\x\\rq7310_ver999.bin"};
    travex::testing::FaultFileSystem files;
    std::string path;
    const std::size_t name_count = sizeof kNames / sizeof kNames[0];
    if (pick < 200) {
        path = kNames[pick % name_count];
        files.put(path, travex::Bytes(data + 1, data + size));
    } else {
        const std::size_t name_length = std::min<std::size_t>(size - 1, pick - 200u);
        path.assign(reinterpret_cast<const char*>(data + 1), name_length);
        files.put(path, travex::Bytes(data + 1 + name_length, data + size));
    }
    // A small layout over the image: the model field at its fixed place, the sum after it.
    FlashLayout layout;
    layout.from_start = 0x1000;
    layout.large = {0x1000, 0x1000 + 0x3000, 0x1000};
    layout.small = {0x4000, 0x4000 + 0x100, 0x80};
    layout.size = 11910;
    layout.check_sum_addr = 11908;
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
