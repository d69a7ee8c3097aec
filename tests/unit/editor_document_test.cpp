// Loading files into a program editor and saving its text: messages, header fields, and the
// byte-for-byte round trip through the edit box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>

#include "codec/text_limits.h"
#include "codec/token_tables.h"
#include "editor/edit_text.h"
#include "editor/editor_document.h"
#include "fault_file_system.h"
#include "tests/unit/token_bytes.h"

namespace {

using travex::EditorSave;
using travex::load_editor_file;
using travex::save_editor_file;
using travex::to_bytes;
using travex::to_string;
using travex::testing::FaultFileSystem;

std::string zeros(std::size_t n) {
    return std::string(n, '\0');
}

// A 54-byte header: model digit, type letter, name field, title, zero.
std::string header(const std::string& digit_letter, const std::string& name = "",
                   const std::string& title = "") {
    std::string h = digit_letter + name + zeros(11 - name.size()) + title;
    h.resize(54, '\0');
    return h;
}

// A text written on another system, saved as a program, keeps the lines it showed.
TEST(EditorDocumentLoad, LinesOfTextFromOtherSystemsStayLinesInTheSavedProgram) {
    for (const std::string breaks : {"\n", "\r", "\r\n"}) {
        FaultFileSystem fs;
        fs.put("lf.txt", to_bytes("ClrT" + breaks + "\"A\"" + breaks + "\"B\"" + breaks));
        const auto loaded = load_editor_file(fs, "lf.txt");
        ASSERT_EQ(loaded.message, travex::MessageId::none);
        EXPECT_EQ(loaded.content.text, "ClrT\r\n\"A\"\r\n\"B\"\r\n");
        ASSERT_EQ(save_editor_file(fs, "lf2.g6p", {"", {}, false, loaded.content.text}),
                  travex::MessageId::none);
        const std::string body = to_string(fs.files["lf2.g6p"]).substr(54);
        // Three lines: two breaks, and the last line's break is the trailer's 0xFD.
        EXPECT_EQ(std::count(body.begin(), body.end(), '\xFD'), 3);
        EXPECT_TRUE(body.ends_with("\xFD\xFF"));
        EXPECT_EQ(load_editor_file(fs, "lf2.g6p").content.text, loaded.content.text);
    }
}

TEST(EditorDocumentSave, RefusalsWriteNothingAndKeepTheOldFile) {
    FaultFileSystem fs;
    const EditorSave save{"", {}, false, "AB"};
    for (const char* extension : {".g6p", ".txt"}) {
        const std::string too_long = std::string(252, 'p') + extension;
        fs.write_attempts.clear();
        EXPECT_EQ(save_editor_file(fs, too_long, save), travex::MessageId::name_too_long)
            << extension;
        EXPECT_TRUE(fs.write_attempts.empty()) << extension;
        EXPECT_EQ(save_editor_file(fs, too_long.substr(1), save), travex::MessageId::none)
            << extension;
    }
    // Two token bytes need 2 + 94 bytes free.
    fs.put("old.g6p", to_bytes("old"));
    fs.write_attempts.clear();
    fs.free_bytes = 95;
    EXPECT_EQ(save_editor_file(fs, "old.g6p", save), travex::MessageId::disk_full);
    EXPECT_TRUE(fs.write_attempts.empty());
    fs.free_bytes = 96;
    fs.fail_writes = true;
    EXPECT_EQ(save_editor_file(fs, "old.g6p", save), travex::MessageId::cannot_create);
    EXPECT_EQ(to_string(fs.files["old.g6p"]), "old");
    fs.fail_writes = false;
    EXPECT_EQ(save_editor_file(fs, "old.g6p", save), travex::MessageId::none);
    EXPECT_EQ(to_string(fs.files["old.g6p"]), header("6p", "old") + "AB\xFD\xFF");
}

TEST(EditorDocumentSave, ProgramThatCouldNotOpenWholeIsNotWritten) {
    EXPECT_EQ(travex::string_id(travex::MessageId::program_too_long), 429);
    // Lines of 150 characters (151 token bytes with their break) filling the text limit.
    std::string lines;
    while (lines.size() + 152 <= travex::kMaxConvertedText) {
        lines += std::string(150, 'A') + "\r\n";
    }
    const std::string full = lines + std::string(travex::kMaxConvertedText - lines.size(), 'B');
    ASSERT_EQ(full.size(), travex::kMaxConvertedText);
    FaultFileSystem fs;
    fs.put("p.g6p", to_bytes("old"));
    // Too long a text; tokens over the limit (a line of 51,200 characters gains breaks); a
    // text at the limit that would reopen with the trailer's line break added.
    for (const std::string& text :
         {full + "B", std::string(travex::kMaxConvertedText, 'A'), full}) {
        EXPECT_EQ(save_editor_file(fs, "p.g6p", {"", {}, false, text}),
                  travex::MessageId::program_too_long);
    }
    EXPECT_TRUE(fs.write_attempts.empty());
    EXPECT_EQ(to_string(fs.files["p.g6p"]), "old");
    // The same text at the limit ending with a line break saves and opens again unchanged.
    const std::string ends_with_break = full.substr(0, full.size() - 2) + "\r\n";
    ASSERT_EQ(save_editor_file(fs, "p.g6p", {"", {}, false, ends_with_break}),
              travex::MessageId::none);
    EXPECT_EQ(load_editor_file(fs, "p.g6p").content.text, ends_with_break);
}

TEST(EditorDocumentRoundTrip, EveryTokenSurvivesLoadEditBoxAndSave) {
    std::string every_token_line;  // every token that has a text, each on its own line
    for (const std::uint16_t code : travex::testing::codes_with_text()) {
        every_token_line += travex::testing::token_bytes(code) + "\xFD";
    }
    const std::string file = header("6p", "ALLTOKEN", "Every token") + every_token_line + "\xFF";
    FaultFileSystem fs;
    fs.put("all.g6p", to_bytes(file));
    const auto loaded = load_editor_file(fs, "all.g6p");
    ASSERT_EQ(loaded.message, travex::MessageId::none);
    // The title and the text go through their edit boxes and back.
    const std::string title = travex::from_edit_text(travex::to_edit_text(loaded.content.title));
    const std::string text = travex::from_edit_text(travex::to_edit_text(loaded.content.text));
    ASSERT_EQ(save_editor_file(fs, "all.g6p", {title, loaded.content.calculator_name, true, text}),
              travex::MessageId::none);
    EXPECT_EQ(to_string(fs.files["all.g6p"]), file);
}

}  // namespace
