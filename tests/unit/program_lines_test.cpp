// Saving a program keeps the token bytes of every line the user did not change: tokens whose
// text tokenizes into other tokens (such as 0x0C 0x11, shown as "Y2Timedays(") no longer drift
// on each open and save, and an edit in one line never alters another.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "codec/tokenizer.h"
#include "editor/editor_document.h"
#include "fault_file_system.h"
#include "files/program_lines.h"
#include "tests/unit/token_bytes.h"

namespace travex {
namespace {

using testing::detok;
using testing::FaultFileSystem;

// A line whose text tokenizes into other tokens: the greedy match reads across the boundary of
// two tokens (0x0C 0x11 is shown as "Y2Timedays(").
const std::string kDrift = "\x0C\x11\x0A\x1A\x0A\x5D";

// Opens path in an editor, lets edit change its text, saves it, and answers the file.
std::string open_edit_save(FaultFileSystem& fs, const std::string& path,
                           const std::function<std::string(std::string)>& edit) {
    EditorLoad load = load_editor_file(fs, path);
    EXPECT_EQ(load.message, MessageId::none);
    const std::string text = edit(load.content.text);
    EditorSave save;
    save.keep_name = true;
    save.calculator_name = load.content.calculator_name;
    save.text = text;
    save.lines = &load.content.lines;
    EXPECT_EQ(save_editor_file(fs, path, save), MessageId::none);
    return to_string(fs.files.at(path));
}

TEST(ProgramLines, UnchangedLinesKeepTheirBytesWhenAnotherLineIsEdited) {
    const std::string body =
        "\"EDIT ME\"\xFD"
        "A" +
        kDrift +
        "1\xFD"
        "B\xFD\xFF";
    FaultFileSystem fs;
    fs.files["prog.g6p"] = to_bytes("6pPROG" + std::string(48, '\0') + body);
    const std::string first = open_edit_save(fs, "prog.g6p", [](std::string text) {
        text.insert(text.find("EDIT") + 4, "ED");
        return text;
    });
    std::string expected = body;
    expected.replace(0, 10, "\"EDITED ME\"\xFD");
    EXPECT_EQ(first.substr(54), expected) << "only the edited line changed";
    // Opening and saving again changes nothing more.
    EXPECT_EQ(open_edit_save(fs, "prog.g6p", [](std::string t) { return t; }), first);
}

TEST(ProgramLines, AnEditedLineIsTokenizedAndTheOthersKeptInTheirPlaces) {
    const std::string& drift = kDrift;
    const std::string t = detok(drift);
    const std::string body = drift + "\xFD" + "X\xFD" + drift;
    const ProgramLines lines = ProgramLines::from_tokens(body);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines.tokens_for(detok(body)), body);
    // A changed line is tokenized, the others keep their bytes, also when moved.
    EXPECT_EQ(lines.tokens_for(t + "\r\nY\r\n" + t), drift + "\xFD" + "Y\xFD" + drift);
    EXPECT_EQ(lines.tokens_for("X\r\n" + t), "X\xFD" + drift);
    EXPECT_EQ(lines.tokens_for(t + "\r\n" + t + "\r\n" + t),
              drift + "\xFD" + drift + "\xFD" + tokenize(t))
        << "a line typed anew, though equal to opened ones, is tokenized";
    // Without opened lines (a new program) the whole text is tokenized as before.
    EXPECT_EQ(ProgramLines{}.tokens_for(t + "\r\nX"), tokenize(t + "\r\nX"));
}

TEST(ProgramLines, LineBreaksInsideTwoByteTokensAndTheEndOfTheProgram) {
    // 0xFD as the index byte of a two-byte token is no line break; a zero byte ends it all.
    const std::string prefix = "\x05";
    const std::string body = prefix + "\xFD" + "A\xFD" + "B" + std::string(1, '\0') + "C";
    const ProgramLines lines = ProgramLines::from_tokens(body);
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines.tokens_for(detok(body)), body.substr(0, 5));
    // A prefix byte without its index byte ends the program.
    EXPECT_EQ(ProgramLines::from_tokens("A\xFD" + prefix).size(), 2u);
}

}  // namespace
}  // namespace travex
