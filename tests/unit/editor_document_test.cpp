// Loading files into a program editor and saving its text: refusals that keep the old file and
// the byte-for-byte round trip through the edit box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "codec/text_limits.h"
#include "editor/edit_text.h"
#include "editor/editor_document.h"
#include "fault_file_system.h"
#include "tests/unit/token_bytes.h"

namespace {

using travex::load_editor_file;
using travex::MessageId;
using travex::save_editor_file;
using travex::to_bytes;
using travex::to_string;
using travex::testing::FaultFileSystem;

// A 54-byte header: model digit, type letter, name field, title, zero.
std::string header(const std::string& name, const std::string& title = "") {
    std::string h = "6p" + name + std::string(11 - name.size(), '\0') + title;
    h.resize(54, '\0');
    return h;
}

TEST(EditorDocumentLoad, LinesOfTextFromOtherSystemsStayLinesInTheSavedProgram) {
    for (const std::string breaks : {"\n", "\r"}) {
        FaultFileSystem fs;
        fs.put("lf.txt", to_bytes("ClrT" + breaks + "\"A\"" + breaks));
        const auto loaded = load_editor_file(fs, "lf.txt");
        EXPECT_EQ(loaded.content.text, "ClrT\r\n\"A\"\r\n");
        ASSERT_EQ(save_editor_file(fs, "p.g6p", {"", {}, false, loaded.content.text}),
                  MessageId::none);
        // Two lines: one break, and the last line's break is the trailer's 0xFD.
        const std::string saved = to_string(fs.files["p.g6p"]);
        EXPECT_EQ(std::count(saved.begin() + 54, saved.end(), '\xFD'), 2);
        EXPECT_TRUE(saved.ends_with("\xFD\xFF"));
    }
}

TEST(EditorDocumentSave, RefusalsWriteNothingAndKeepTheOldFile) {
    FaultFileSystem fs;
    const travex::EditorSave save{"", {}, false, "AB"};
    const std::string too_long = std::string(252, 'p') + ".g6p";
    EXPECT_EQ(save_editor_file(fs, too_long, save), MessageId::name_too_long);
    EXPECT_TRUE(fs.write_attempts.empty());
    EXPECT_EQ(save_editor_file(fs, too_long.substr(1), save), MessageId::none);
    // Two token bytes need 2 + 94 bytes free.
    fs.put("old.g6p", to_bytes("old"));
    fs.write_attempts.clear();
    fs.free_bytes = 95;
    EXPECT_EQ(save_editor_file(fs, "old.g6p", save), MessageId::disk_full);
    EXPECT_TRUE(fs.write_attempts.empty());
    fs.free_bytes = 96;
    fs.fail_writes = true;
    EXPECT_EQ(save_editor_file(fs, "old.g6p", save), MessageId::cannot_create);
    EXPECT_EQ(to_string(fs.files["old.g6p"]), "old");
    fs.fail_writes = false;
    EXPECT_EQ(save_editor_file(fs, "old.g6p", save), MessageId::none);
    EXPECT_EQ(to_string(fs.files["old.g6p"]), header("old") + "AB\xFD\xFF");
}

TEST(EditorDocumentSave, ProgramThatCouldNotOpenWholeIsNotWritten) {
    // Lines of 150 characters (151 token bytes with their break) filling the text limit.
    std::string lines;
    while (lines.size() + 152 <= travex::kMaxConvertedText) {
        lines += std::string(150, 'A') + "\r\n";
    }
    const std::string full = lines + std::string(travex::kMaxConvertedText - lines.size(), 'B');
    FaultFileSystem fs;
    fs.put("p.g6p", to_bytes("old"));
    // Too long a text; too many tokens (a line of 51,200 characters gains breaks); a text at the
    // limit that would reopen with the trailer's break added.
    for (const std::string& text :
         {full + "B", std::string(travex::kMaxConvertedText, 'A'), full}) {
        EXPECT_EQ(save_editor_file(fs, "p.g6p", {"", {}, false, text}),
                  MessageId::program_too_long);
    }
    EXPECT_EQ(to_string(fs.files["p.g6p"]), "old");
    const std::string ends_with_break = full.substr(0, full.size() - 2) + "\r\n";
    ASSERT_EQ(save_editor_file(fs, "p.g6p", {"", {}, false, ends_with_break}), MessageId::none);
    EXPECT_EQ(load_editor_file(fs, "p.g6p").content.text, ends_with_break);
}

TEST(EditorDocumentRoundTrip, EveryTokenSurvivesLoadEditBoxAndSave) {
    std::string every_token_line;  // every token that has a text, each on its own line
    for (const std::uint16_t code : travex::testing::codes_with_text()) {
        every_token_line += travex::testing::token_bytes(code) + "\xFD";
    }
    const std::string file = header("ALLTOKEN", "Every token") + every_token_line + "\xFF";
    FaultFileSystem fs;
    fs.put("all.g6p", to_bytes(file));
    const auto loaded = load_editor_file(fs, "all.g6p");
    ASSERT_EQ(loaded.message, MessageId::none);
    const std::string title = travex::from_edit_text(travex::to_edit_text(loaded.content.title));
    const std::string text = travex::from_edit_text(travex::to_edit_text(loaded.content.text));
    ASSERT_EQ(save_editor_file(fs, "all.g6p", {title, loaded.content.calculator_name, true, text}),
              MessageId::none);
    EXPECT_EQ(to_string(fs.files["all.g6p"]), file);
}

}  // namespace
