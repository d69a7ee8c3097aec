// Every writer of the application against every way a disk can fail: the old file stays byte for
// byte, no temporary file is left, the caller hears of the failure, and once the fault is gone
// the same write succeeds.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/le_bytes.h"
#include "cli/command.h"
#include "cli/output.h"
#include "editor/editor_document.h"
#include "files/group_file.h"
#include "files/received_item.h"
#include "files/text_file.h"
#include "image/screen_bitmap.h"
#include "settings/ini_profile_store.h"
#include "slideshow/slide_show.h"
#include "tests/unit/fault_file_system.h"
#include "tests/unit/test_bytes.h"

namespace travex {
namespace {

using testing::FaultFileSystem;
using testing::pattern;

class OverwriteEverything final : public FileQuestions {
public:
    SkipAnswer ask_skip(MessageId, std::string_view) override { return SkipAnswer::cancel; }
    OverwriteAnswer ask_overwrite(std::string_view) override { return OverwriteAnswer::overwrite; }
    void report(MessageId message) override { reported.push_back(message); }
    std::vector<MessageId> reported;
};

// A slide show of one blank page.
Bytes slide_show() {
    Bytes file(55, 0);
    file[0] = '6';
    file[1] = 's';
    append_u32le(file, 9);
    append_u32le(file, 0);
    file.push_back(0);
    file.resize(file.size() + 8, 0);
    return file;
}

Bytes group_image(const std::string& member, const Bytes& bytes) {
    const group::Member members[] = {{member, bytes}};
    return group::build_group_image("x.g6g", members);
}

// One writer: the file it replaces, what it needs besides, and the call that reports success.
struct Writer {
    const char* what;
    std::string target;
    std::function<void(FaultFileSystem&)> prepare;
    std::function<bool(FaultFileSystem&)> write;
};

std::vector<Writer> writers() {
    const image::ScreenImage screen = image::frame_screen(image::ScreenData{});
    return {
        {"program saved from the editor", "/d/prog.g6p", [](FaultFileSystem&) {},
         [](FaultFileSystem& fs) {
             const EditorSave save{"TITLE", {}, false, "ABC\r\nDEF"};
             return save_editor_file(fs, "/d/prog.g6p", save) == MessageId::none;
         }},
        {"exported text", "/d/export.txt", [](FaultFileSystem&) {},
         [](FaultFileSystem& fs) {
             return save_text_file(fs, "/d/export.txt", "A=1\r\n") == MessageId::none;
         }},
        {"received item", "/d/item.g6p", [](FaultFileSystem&) {},
         [](FaultFileSystem& fs) {
             OverwriteEverything questions;
             ReceiveState state;
             begin_received_item(state, 'p', ItemName{'I', 'T', 'E', 'M'});
             const Bytes payload = pattern(300, 4);
             return store_received_item(fs, questions, state, "/d", "item.g6p", payload) ==
                        StoreOutcome::continue_receiving &&
                    questions.reported.empty();
         }},
        {"group file", "/d/g.g6g",
         [](FaultFileSystem& fs) {
             fs.put("/in/a.g6p", pattern(700, 1));
             fs.put("/in/b.g6p", pattern(90000, 2));  // more than one piece of the write
         },
         [](FaultFileSystem& fs) {
             group::Selection selection;
             selection.add("/in/a.g6p");
             selection.add("/in/b.g6p");
             return group::write_group(fs, "/d/g.g6g", selection).written;
         }},
        {"unpacked member", "/d/m.g6p", [](FaultFileSystem&) {},
         [](FaultFileSystem& fs) {
             OverwriteEverything questions;
             const Bytes group = group_image("m.g6p", pattern(5000, 3));
             const group::UnpackOutcome outcome =
                 group::unpack_group(fs, group, "/d", questions, true);
             return outcome.clean() && outcome.message == MessageId::none;
         }},
        {"slide show copy", "/d/copy.g6s",
         [](FaultFileSystem& fs) { fs.put("/in/show.g6s", slide_show()); },
         [](FaultFileSystem& fs) {
             return slides::save_copy(fs, "/in/show.g6s", "/d/copy.g6s", "NEW").written;
         }},
        {"bitmap", "/d/screen.bmp", [](FaultFileSystem&) {},
         [screen](FaultFileSystem& fs) {
             return image::save_bitmap_file(fs, "/d/screen.bmp", screen) == MessageId::none;
         }},
        {"printed PDF", "/d/print.pdf", [](FaultFileSystem&) {},
         [](FaultFileSystem& fs) {
             const std::string pdf = "%PDF-1.4\n" + std::string(70000, 'x') + "\n%%EOF\n";
             return cli::write_output(fs, std::string("/d/print.pdf"), pdf) == cli::kExitOk;
         }},
        {"settings file", "/d/TM-RZ4.INI",
         [](FaultFileSystem& fs) { fs.put("/d/TM-RZ4.INI", "[S]\r\nk=old\r\n"); },
         [](FaultFileSystem& fs) {
             IniProfileStore store(fs, "/d/TM-RZ4.INI");
             return store.write_string("S", "k", "new");
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
    {"the disk is full from the start",
     [](FaultFileSystem& fs, auto) { fs.fail_after_bytes = fs.bytes_written; }},
    {"the disk fills after one byte",
     [](FaultFileSystem& fs, auto) { fs.fail_after_bytes = fs.bytes_written + 1; }},
    {"the disk fills one byte short of the file",
     [](FaultFileSystem& fs, std::uint64_t size) {
         fs.fail_after_bytes = fs.bytes_written + size - 1;
     }},
    {"closing the temporary file fails", [](FaultFileSystem& fs, auto) { fs.fail_close = true; }},
    {"the rename fails", [](FaultFileSystem& fs, auto) { fs.fail_rename = true; }},
    {"the free space is unknown and the disk is full",
     [](FaultFileSystem& fs, std::uint64_t size) {
         fs.free_bytes.reset();
         fs.fail_after_bytes = fs.bytes_written + size / 2;
     }},
    {"the free space is reported short, as it is",
     [](FaultFileSystem& fs, auto) {
         fs.free_bytes = 10;
         fs.fail_after_bytes = fs.bytes_written + 10;
     }},
};

const Bytes kOld = {'o', 'l', 'd', 0, 0xFF, '\r', '\n'};

TEST(WriterFaults, EveryWriterKeepsTheOldFileThroughEveryFault) {
    for (const Writer& writer : writers()) {
        // An unknown free space does not stop a write that fits.
        FaultFileSystem clean;
        writer.prepare(clean);
        clean.free_bytes.reset();
        const std::uint64_t before = clean.bytes_written;
        ASSERT_TRUE(writer.write(clean)) << writer.what;
        EXPECT_TRUE(clean.temp_files().empty()) << writer.what;
        const std::uint64_t size = clean.bytes_written - before;
        const Bytes fresh = clean.files[writer.target];
        ASSERT_EQ(size, fresh.size()) << writer.what;

        for (const Fault& fault : kFaults) {
            const std::string where = std::string(writer.what) + ", " + fault.what;
            FaultFileSystem fs;
            writer.prepare(fs);
            const Bytes old = fs.files.count(writer.target) ? fs.files[writer.target] : kOld;
            fs.put(writer.target, old);
            fault.arm(fs, size);
            EXPECT_FALSE(writer.write(fs)) << where;
            EXPECT_EQ(fs.files[writer.target], old) << where;
            EXPECT_TRUE(fs.temp_files().empty()) << where;

            fs.clear_faults();
            EXPECT_TRUE(writer.write(fs)) << where;
            EXPECT_EQ(fs.files[writer.target], fresh) << where;
            EXPECT_TRUE(fs.temp_files().empty()) << where;
        }
    }
}

}  // namespace
}  // namespace travex
