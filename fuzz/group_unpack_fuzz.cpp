// Group files from outside: unpacking never writes outside the target folder, never reads past
// the group's end, and a complete unpack reports no damage.
#include "files/group_file.h"
#include "fuzz_check.h"
#include "tests/unit/fault_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    travex::testing::FaultFileSystem fs;
    fs.files["/out/existing.g6p"] = {};
    travex::fuzz::AnswerInTurn question;
    const auto outcome = travex::group::unpack_group(fs, std::span(data, size), "/out", question);
    for (const auto& [path, bytes] : fs.files) {
        travex::fuzz::fail_if(path.rfind("/out/", 0) != 0 || path.size() <= 5 ||
                              path.find_first_of("/\\:", 5) != path.npos || bytes.size() > size);
    }
    travex::fuzz::fail_if(outcome.end == travex::group::UnpackEnd::complete &&
                          !outcome.damage.empty());
    return 0;
}
