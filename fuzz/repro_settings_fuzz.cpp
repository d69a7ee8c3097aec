// repro.ini is the user's to edit: any file must load without harm, and whatever layout it
// gives must either be refused or plan only pages that lie inside an image of the length the
// checks demand, none larger than the packet buffer.
#include <cstdint>

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
    // Written back whole, the file reads back the same settings, and MODEL is the target.
    const ReproSettings again = read_repro_settings(store);
    travex::fuzz::fail_if(loaded.outcome == LoadOutcome::ok &&
                          (again.large_page_send_size != loaded.settings.large_page_send_size ||
                           again.char_wait != loaded.settings.char_wait ||
                           again.bin_file != loaded.settings.bin_file));
    travex::fuzz::fail_if(store.get_string("TARGET", "MODEL", "") != kTargetModel);
    const FlashLayout layout = flash_layout(loaded.settings);
    (void)progress_step(layout);
    if (settings_problem(loaded.settings)) {
        return 0;
    }
    const std::uint64_t needed = image_length_needed(layout);
    if (needed > (std::uint64_t{1} << 22)) {
        return 0;  // a valid but huge layout: too large to try here
    }
    const travex::Bytes image(needed, 0x00);
    for (const PlannedPage& p : plan_pages(layout, image)) {
        travex::fuzz::fail_if(p.length == 0 || p.length > kMaxPageSize ||
                              std::uint64_t{p.offset} + p.length > image.size());
    }
    const int step = progress_step(layout);
    travex::fuzz::fail_if(step < 0 || step > 10000);
    return 0;
}
