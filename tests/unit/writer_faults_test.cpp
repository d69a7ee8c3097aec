// Writers against every way a disk can fail: the old file stays byte for byte, no temporary file
// is left, the caller hears of the failure, and once the fault is gone the same write succeeds.
// (Group files, unpacked members and the media outputs meet a real full volume in the CLI tests.)
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/output.h"
#include "editor/editor_document.h"
#include "files/received_item.h"
#include "tests/unit/fault_file_system.h"
#include "tests/unit/test_bytes.h"

namespace travex {
namespace {

using testing::FaultFileSystem;
using testing::pattern;

// One writer: the file it replaces and the call that reports success.
struct Writer {
    const char* what;
    std::string target;
    std::function<bool(FaultFileSystem&)> write;
};

std::vector<Writer> writers() {
    return {
        {"program saved from the editor", "/d/prog.g6p",
         [](FaultFileSystem& fs) {
             const EditorSave save{"TITLE", {}, false, "ABC\r\nDEF"};
             return save_editor_file(fs, "/d/prog.g6p", save) == MessageId::none;
         }},
        {"received item", "/d/item.g6p",
         [](FaultFileSystem& fs) {
             PolicyQuestions questions(OverwriteAnswer::overwrite);
             ReceiveState state;
             begin_received_item(state, 'p', ItemName{'I', 'T', 'E', 'M'});
             const Bytes payload = pattern(300, 4);
             return store_received_item(fs, questions, state, "/d", "item.g6p", payload) ==
                        StoreOutcome::continue_receiving &&
                    questions.messages().empty();
         }},
        {"printed PDF", "/d/print.pdf",
         [](FaultFileSystem& fs) {
             const std::string pdf = "%PDF-1.4\n" + std::string(70000, 'x') + "\n%%EOF\n";
             return cli::write_output(fs, std::string("/d/print.pdf"), pdf) == cli::kExitOk;
         }},
    };
}

// One fault, armed given the size of the file the writer would write (learnt from a clean run)
// and the bytes already written before the writer starts.
struct Fault {
    const char* what;
    std::function<void(FaultFileSystem&, std::uint64_t size)> arm;
};

const Fault kFaults[] = {
    {"the temporary file cannot be created",
     [](FaultFileSystem& fs, auto) { fs.fail_writes = true; }},
    {"the first write call fails",
     [](FaultFileSystem& fs, auto) { fs.fail_write_call = fs.write_calls + 1; }},
    {"the last write call fails",
     [](FaultFileSystem& fs, std::uint64_t size) {
         const auto calls =
             static_cast<int>((size + FileSystem::kWriteChunk - 1) / FileSystem::kWriteChunk);
         fs.fail_write_call = fs.write_calls + std::max(calls, 1);
     }},
    {"the disk fills one byte short of the file",
     [](FaultFileSystem& fs, std::uint64_t size) {
         fs.fail_after_bytes = fs.bytes_written + size - 1;
     }},
    {"closing the temporary file fails", [](FaultFileSystem& fs, auto) { fs.fail_close = true; }},
    {"the rename fails", [](FaultFileSystem& fs, auto) { fs.fail_rename = true; }},
};

const Bytes kOld = {'o', 'l', 'd', 0, 0xFF, '\r', '\n'};

TEST(WriterFaults, EveryWriterKeepsTheOldFileThroughEveryFault) {
    for (const Writer& writer : writers()) {
        // An unknown free space does not stop a write that fits.
        FaultFileSystem clean;
        clean.free_bytes.reset();
        ASSERT_TRUE(writer.write(clean)) << writer.what;
        const Bytes fresh = clean.files[writer.target];
        const std::uint64_t size = fresh.size();

        for (const Fault& fault : kFaults) {
            const std::string where = std::string(writer.what) + ", " + fault.what;
            FaultFileSystem fs;
            fs.put(writer.target, kOld);
            fault.arm(fs, size);
            EXPECT_FALSE(writer.write(fs)) << where;
            EXPECT_EQ(fs.files[writer.target], kOld) << where;
            EXPECT_FALSE(fs.temp_left()) << where;

            fs.clear_faults();
            EXPECT_TRUE(writer.write(fs)) << where;
            EXPECT_EQ(fs.files[writer.target], fresh) << where;
            EXPECT_FALSE(fs.temp_left()) << where;
        }
    }
}

}  // namespace
}  // namespace travex
