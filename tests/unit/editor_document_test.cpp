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

travex::ItemName item_name(const std::string& text) {
    travex::ItemName name{};
    std::copy(text.begin(), text.end(), name.begin());
    return name;
}

// Token bytes of every token that has a text, each on its own line.
std::string every_token_on_its_own_line() {
    std::string tokens;
    for (const travex::TokenTable& table : travex::token_tables()) {
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            if (table.entries[i].empty()) {
                continue;
            }
            const std::uint16_t code = table.code_of(i);
            tokens.push_back(static_cast<char>(code & 0xFF));
            if (!table.one_byte()) {
                tokens.push_back(static_cast<char>(code >> 8));
            }
            tokens.push_back('\xFD');
        }
    }
    return tokens;
}

TEST(EditorDocumentNames, UntitledNamesAndTheirRecognition) {
    EXPECT_EQ(travex::untitled_name(1, '6'), "UNTITLE1.G6P");
    EXPECT_EQ(travex::untitled_name(12, '4'), "UNTITLE12.G4P");
    for (const char* path : {"UNTITLE1.G6P", "untitle7.g6p", "UnTitle", "UNTITLED.G6P"}) {
        EXPECT_TRUE(travex::is_untitled_path(path)) << path;
    }
    for (const char* path : {"UNTITL", "", "C:\\UNTITLE1.G6P",
                             "UNTITL\xC9"
                             "1"}) {
        EXPECT_FALSE(travex::is_untitled_path(path)) << path;
    }
}

TEST(EditorDocumentLoad, RefusedFilesGiveTheirMessage) {
    FaultFileSystem fs;
    // clang-format off
    const std::tuple<const char*, std::string, int> cases[] = {
        {"list.g6p", header("6l") + "\x41\xFD\xFF", 415},   // header letter of a list file
        {"short.g6l", header("6l") + zeros(8), 421},        // 62 bytes: no data
        {"missing.g6p", "", 410},
    };
    // clang-format on
    for (const auto& [path, contents, message] : cases) {
        if (!contents.empty()) {
            fs.put(path, to_bytes(contents));
        }
        EXPECT_EQ(travex::string_id(load_editor_file(fs, path).message), message) << path;
    }
}

TEST(EditorDocumentLoad, HeaderFieldsAndTextOfWhatOpens) {
    FaultFileSystem fs;
    // 62 bytes of program open; a title filling all 40 bytes has no terminator of its own.
    fs.put("dir\\small.G6P",
           to_bytes(header("6P", "MYPROG", std::string(40, 'T')) + "ABCDEF\xFD\xFF"));
    const auto program = load_editor_file(fs, "dir\\small.G6P");
    ASSERT_EQ(program.message, travex::MessageId::none);
    EXPECT_EQ(program.content.kind, travex::FileKind::program);
    EXPECT_EQ(program.content.title, std::string(40, 'T'));
    EXPECT_EQ(program.content.calculator_name, item_name("MYPROG"));
    EXPECT_EQ(program.content.text, "ABCDEF\r\n");

    fs.put("titled.g6p", to_bytes(header("6p", "N", std::string("Ti\0tle", 6))));
    EXPECT_EQ(load_editor_file(fs, "titled.g6p").content.title, "Ti");
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

TEST(EditorDocumentSave, SaveKeepsTheNameFieldSaveAsTakesItFromThePath) {
    FaultFileSystem fs;
    fs.put("dir\\mine.g6p", to_bytes(header("6p", "SOLVER", "Roots") + "A\xFD\xFF"));
    const auto loaded = load_editor_file(fs, "dir\\mine.g6p");
    ASSERT_EQ(loaded.message, travex::MessageId::none);
    const EditorSave save{loaded.content.title, loaded.content.calculator_name, true,
                          loaded.content.text};
    ASSERT_EQ(save_editor_file(fs, "dir\\mine.g6p", save), travex::MessageId::none);
    EXPECT_EQ(to_string(fs.files["dir\\mine.g6p"]).substr(0, 18), "6pSOLVER" + zeros(5) + "Roots");

    EditorSave save_as = save;
    save_as.keep_name = false;
    ASSERT_EQ(save_editor_file(fs, "C:\\x.y\\loooongname.g6p", save_as), travex::MessageId::none);
    EXPECT_EQ(to_string(fs.files["C:\\x.y\\loooongname.g6p"]).substr(0, 18),
              "6ploooongn" + zeros(3) + "Roots");
    // A window saved under a text file's name is plain text with escapes, no header.
    ASSERT_EQ(save_editor_file(fs, "dir\\mine.txt", {"Roots", {}, false, "A\xA9\r\n"}),
              travex::MessageId::none);
    EXPECT_EQ(to_string(fs.files["dir\\mine.txt"]), "A@theta@\r\n");
    // Only the header's 40 bytes of a title are kept.
    ASSERT_EQ(save_editor_file(fs, "t.g6p", {std::string(41, 'T'), {}, false, ""}),
              travex::MessageId::none);
    EXPECT_EQ(to_string(fs.files["t.g6p"]).substr(13, 41), std::string(40, 'T') + zeros(1));
}

TEST(EditorDocumentRoundTrip, EveryTokenSurvivesLoadEditBoxAndSave) {
    const std::string file =
        header("6p", "ALLTOKEN", "Every token") + every_token_on_its_own_line() + "\xFF";
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
