// repro.ini is the user's to edit: any file loads without harm, and a layout it gives is either
// refused or plans only pages inside an image of the length the checks demand, none larger
// than the packet buffer.
#include "fuzz_check.h"
#include "repro/firmware_image.h"
#include "repro/flash_layout.h"
#include "repro/repro_settings.h"
#include "settings/ini_profile_store.h"
#include "tests/unit/fault_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace travex::repro;
    travex::testing::FaultFileSystem files;
    files.put("repro.ini", travex::Bytes(data, data + size));
    travex::IniProfileStore store(files, "repro.ini");
    const LoadedReproSettings loaded = load_repro_settings(store);
    // Written back whole, the file reads back the same settings.
    const ReproSettings again = read_repro_settings(store);
    travex::fuzz::fail_if(loaded.outcome == LoadOutcome::ok &&
                          (again.large_page_send_size != loaded.settings.large_page_send_size ||
                           again.bin_file != loaded.settings.bin_file));
    const FlashLayout layout = flash_layout(loaded.settings);
    const int step = progress_step(layout);
    // A refused layout is not planned; a valid but huge one is too large to try here.
    if (settings_problem(loaded.settings) ||
        image_length_needed(layout) > (std::uint64_t{1} << 22)) {
        return 0;
    }
    const travex::Bytes image(image_length_needed(layout), 0x00);
    for (const PlannedPage& p : plan_pages(layout, image)) {
        travex::fuzz::fail_if(p.length == 0 || p.length > kMaxPageSize ||
                              std::uint64_t{p.offset} + p.length > image.size());
    }
    travex::fuzz::fail_if(step < 0 || step > 10000);
    return 0;
}
