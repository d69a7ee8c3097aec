#include <gtest/gtest.h>

#include <string>

#include "fake_file_system.h"
#include "files/calc_file.h"
#include "files/name_field.h"
#include "files/received_item.h"

namespace travex {
namespace {

using testing::FakeFileSystem;

// A file image with the given header fields and body.
Bytes make_file(char digit, char letter, const ItemName& name, std::string_view title,
                const Bytes& body) {
    FileHeader header;
    header.model_digit = static_cast<std::uint8_t>(digit);
    header.type_letter = static_cast<std::uint8_t>(letter);
    header.name = name;
    header.title = make_title(title);
    const auto head = build_header(header);
    Bytes file(head.begin(), head.end());
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

Bytes sequence(std::size_t n, std::uint8_t start = 1) {
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<std::uint8_t>(start + i);
    }
    return bytes;
}

TEST(FilesHeader, BuildAndParseLayout) {
    FileHeader header;
    header.model_digit = '6';
    header.type_letter = 'p';
    header.name = make_item_name("PROG\xff\xff\xff\xff\xff\xff\xff");
    header.title = make_title(std::string(40, 'T'));
    const auto bytes = build_header(header);
    EXPECT_EQ(bytes[0], '6');
    EXPECT_EQ(bytes[1], 'p');
    EXPECT_EQ(bytes[2], 'P');
    EXPECT_EQ(bytes[12], 0xFF);
    EXPECT_EQ(bytes[13], 'T');
    EXPECT_EQ(bytes[52], 'T');
    EXPECT_EQ(bytes[53], 0);

    Bytes file(bytes.begin(), bytes.end());
    file.push_back(0x42);
    auto parsed = parse_header(file);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->name, header.name);
    EXPECT_EQ(parsed->title, header.title);
    EXPECT_EQ(build_header(*parsed), bytes);
    EXPECT_FALSE(parse_header(std::span(file).first(53)));
}

TEST(FilesHeader, ItemNameForms) {
    const ItemName code = variable_code_item_name(0x0910);
    EXPECT_EQ(code[0], 0x10);  // index byte first
    EXPECT_EQ(code[1], 0x09);
    for (std::size_t i = 2; i < code.size(); ++i) {
        EXPECT_EQ(code[i], ' ');
    }
    EXPECT_EQ(spaces_item_name(), make_item_name("           "));
    const ItemName cut = make_item_name("ABCDEFGHIJKLMN");
    EXPECT_EQ(cut.back(), 'K');
    EXPECT_EQ(make_item_name("AB")[2], 0);
}

TEST(FilesResultCodes, NumericValuesAndTexts) {
    EXPECT_EQ(static_cast<int>(FileResult::too_short_for_type), 8);
    EXPECT_EQ(static_cast<int>(FileResult::ok), 10);
    EXPECT_EQ(static_cast<int>(FileResult::exists), 11);
    EXPECT_EQ(static_cast<int>(FileResult::failure), 12);
    EXPECT_EQ(static_cast<int>(FileResult::wrong_model), 13);
    EXPECT_EQ(static_cast<int>(FileResult::not_transferable), 14);
    EXPECT_EQ(static_cast<int>(FileResult::shorter_than_header), 15);
    EXPECT_EQ(static_cast<int>(FileResult::type_letter_mismatch), 16);
    EXPECT_EQ(describe(FileResult::ok), "success");
    EXPECT_EQ(describe(FileResult::type_letter_mismatch),
              "header type letter differs from the extension");
    EXPECT_EQ(describe(static_cast<FileResult>(99)), "unknown result");
}

TEST(FilesResultCodes, SendFlowMessages) {
    EXPECT_EQ(send_failure_message(FileResult::ok), 0);
    EXPECT_EQ(send_failure_message(FileResult::wrong_model), 406);
    EXPECT_EQ(send_failure_message(FileResult::type_letter_mismatch), 406);
    EXPECT_EQ(send_failure_message(FileResult::not_transferable), 407);
    EXPECT_EQ(send_failure_message(FileResult::failure), 408);
    EXPECT_EQ(send_failure_message(FileResult::shorter_than_header), 408);
    EXPECT_EQ(send_failure_message(FileResult::too_short_for_type), 408);
}

class FilesReadForSending : public ::testing::Test {
protected:
    SendableFile read(const std::string& path, const Bytes& bytes, int model = 4) {
        fs_.put(path, bytes);
        return read_file_for_sending(fs_, path, model);
    }
    FakeFileSystem fs_;
};

TEST_F(FilesReadForSending, EmptyProgramGivesNameAndOneZeroByte) {
    const ItemName name = make_item_name("ABC");
    const SendableFile sent = read("a.g6p", make_file('6', 'p', name, "", {}));
    ASSERT_EQ(sent.result, FileResult::ok);
    EXPECT_EQ(sent.send_class, 0x22);
    Bytes expected(name.begin(), name.end());
    expected.push_back(0);
    EXPECT_EQ(sent.payload, expected);
    ASSERT_TRUE(sent.item_name);
    EXPECT_EQ(*sent.item_name, name);
}

TEST_F(FilesReadForSending, PayloadLengthsPerType) {
    const Bytes body = sequence(20);
    auto length = [&](char letter) {
        const std::string path = std::string("x.g6") + letter;
        const SendableFile sent = read(path, make_file('6', letter, spaces_item_name(), "", body));
        EXPECT_EQ(sent.result, FileResult::ok) << letter;
        return static_cast<long>(sent.payload.size());
    };
    const long file_size = 54 + 20;
    EXPECT_EQ(length('p'), file_size - 42);
    EXPECT_EQ(length('e'), file_size - 43);
    EXPECT_EQ(length('s'), file_size - 43);
    for (char letter : std::string("dyilnmbtwvz")) {
        EXPECT_EQ(length(letter), file_size - 54) << letter;
    }
}

TEST_F(FilesReadForSending, ItemNameKeptOnlyForDirectoryItems) {
    EXPECT_TRUE(read("x.g6m", make_file('6', 'm', variable_code_item_name(0x0910), "", sequence(4)))
                    .item_name);
    EXPECT_TRUE(read("x.g6s", make_file('6', 's', make_item_name("SHOW"), "", {})).item_name);
    EXPECT_FALSE(read("x.g6b", make_file('6', 'b', spaces_item_name(), "", sequence(4))).item_name);
    EXPECT_FALSE(read("x.g6z", make_file('6', 'z', spaces_item_name(), "", sequence(4))).item_name);
}

TEST_F(FilesReadForSending, ListPayloadTakesTheVariableCodeFromTheHeader) {
    // The body claims list 1 (0x0810); the header says list 3 (0x0812).
    const Bytes body = {0x10, 0x08, 0xAA, 0xBB};
    const SendableFile sent =
        read("x.g6l", make_file('6', 'l', variable_code_item_name(0x0812), "", body));
    ASSERT_EQ(sent.result, FileResult::ok);
    EXPECT_EQ(sent.payload, (Bytes{0x12, 0x08, 0xAA, 0xBB}));
}

TEST_F(FilesReadForSending, ResultCodes) {
    const Bytes program = make_file('6', 'p', make_item_name("P"), "", {});
    // 12: missing, unreadable, empty.
    EXPECT_EQ(read_file_for_sending(fs_, "missing.g6p").result, FileResult::failure);
    fs_.unreadable.insert("locked.g6p");
    EXPECT_EQ(read("locked.g6p", program).result, FileResult::failure);
    EXPECT_EQ(read("empty.g6p", {}).result, FileResult::failure);
    // 16: type letter differs from the path's last character.
    Bytes as_list = program;
    as_list[1] = 'L';
    EXPECT_EQ(read("x.g6p", as_list).result, FileResult::type_letter_mismatch);
    EXPECT_EQ(read("x.g6p", Bytes{'6'}).result, FileResult::type_letter_mismatch);
    // 15: shorter than the header.
    Bytes short_program = program;
    short_program.resize(53);
    EXPECT_EQ(read("x.g6p", short_program).result, FileResult::shorter_than_header);
    EXPECT_EQ(read("x.g6p", Bytes{'6', 'p'}).result, FileResult::shorter_than_header);
    // 14: a group file, and a letter that is no type at all.
    EXPECT_EQ(read("x.g6g", make_file('6', 'g', spaces_item_name(), "", sequence(8))).result,
              FileResult::not_transferable);
    EXPECT_EQ(read("x.g6q", make_file('6', 'q', spaces_item_name(), "", sequence(8))).result,
              FileResult::not_transferable);
    // 8: a variable-code type whose body cannot hold the variable code.
    EXPECT_EQ(
        read("x.g6m", make_file('6', 'm', variable_code_item_name(0x0910), "", {0x10})).result,
        FileResult::too_short_for_type);
    EXPECT_EQ(read("x.g6i", make_file('6', 'i', variable_code_item_name(0x0D10), "", {})).result,
              FileResult::too_short_for_type);
    // 10.
    EXPECT_EQ(read("x.g6p", program).result, FileResult::ok);
}

TEST_F(FilesReadForSending, ChecksRunInOrder) {
    // A 10-byte file with the wrong letter is a mismatch (16) before it is short (15).
    Bytes tiny = sequence(10);
    tiny[1] = 'x';
    EXPECT_EQ(read("x.g6p", tiny).result, FileResult::type_letter_mismatch);
    // A short group file is short (15) before it is not transferable (14).
    EXPECT_EQ(read("x.g6g", Bytes{'6', 'g', 0}).result, FileResult::shorter_than_header);
    // Under model code 2 a wrong digit is found only after the type checks.
    EXPECT_EQ(read("x.g6g", make_file('6', 'g', spaces_item_name(), "", {}), 2).result,
              FileResult::not_transferable);
}

TEST_F(FilesReadForSending, TypeLetterComparisonIgnoresCase) {
    EXPECT_EQ(read("x.G6P", make_file('6', 'p', make_item_name("P"), "", {})).result,
              FileResult::ok);
    EXPECT_EQ(read("x.g6p", make_file('6', 'P', make_item_name("P"), "", {})).result,
              FileResult::ok);
}

TEST_F(FilesReadForSending, ModelCheck) {
    const Bytes digit4 = make_file('4', 'p', make_item_name("P"), "", {});
    const Bytes digit9 = make_file('9', 'p', make_item_name("P"), "", {});
    // The running model checks nothing.
    EXPECT_EQ(read("x.g4p", digit4, 4).result, FileResult::ok);
    EXPECT_EQ(read("x.g6p", digit9, 4).result, FileResult::ok);
    // Models 2 and 3 want their own digit.
    EXPECT_EQ(read("x.g2p", make_file('2', 'p', make_item_name("P"), "", {}), 2).result,
              FileResult::ok);
    EXPECT_EQ(read("x.g2p", digit4, 2).result, FileResult::wrong_model);
    EXPECT_EQ(read("x.g3p", digit4, 3).result, FileResult::wrong_model);
    // Models 5 and 6 take their accepted digits.
    EXPECT_EQ(read("x.g3p", make_file('3', 'p', make_item_name("P"), "", {}), 5).result,
              FileResult::ok);
    EXPECT_EQ(read("x.g4p", digit4, 5).result, FileResult::wrong_model);
    EXPECT_EQ(read("x.g4p", digit4, 6).result, FileResult::ok);
    const SendableFile wrong = read("x.g6p", digit9, 6);
    EXPECT_EQ(wrong.result, FileResult::wrong_model);
    EXPECT_TRUE(wrong.payload.empty());
}

// A payload as the calculator sends it back for an item that was sent with `sent`: named items
// travel without their name (the link carries it separately); programs keep the zero byte.
Bytes as_received(const Bytes& sent, char letter) {
    switch (find_file_type(letter)->payload_form) {
        case PayloadForm::name_zero_body:
        case PayloadForm::name_body:
            return Bytes(sent.begin() + 11, sent.end());
        default:
            return sent;
    }
}

TEST(FilesPayloadRoundTrip, EveryTypeComesBackByteIdentical) {
    for (const FileType& type : kFileTypes) {
        if (type.payload_form == PayloadForm::none) {
            continue;
        }
        SCOPED_TRACE(type.letter);
        // A file as the receive flow writes it: header name by the type's form, default title.
        const std::uint16_t code = 0x0912;
        const ItemName name =
            received_header_name(type.letter, code, make_item_name("NAME\xff\xff\xff\xff"));
        Bytes body = sequence(37, 0x80);
        if (type.name_form == HeaderNameForm::variable_code) {
            body[0] = 0x12;
            body[1] = 0x09;
        }
        const std::string path = std::string("item.g6") + type.letter;
        const Bytes file = make_file('6', type.letter, name, type.default_title, body);

        FakeFileSystem fs;
        fs.put(path, file);
        const SendableFile sent = read_file_for_sending(fs, path);
        ASSERT_EQ(sent.result, FileResult::ok);

        ReceiveState state;
        begin_received_item(state, type.letter, name);
        const auto rebuilt = build_file_from_payload(path, as_received(sent.payload, type.letter),
                                                     state.item_name, state.title);
        ASSERT_TRUE(rebuilt);
        EXPECT_EQ(*rebuilt, file);
    }
}

TEST(FilesBuildFromPayload, ProgramDropsTheFirstPayloadByte) {
    const Bytes payload = {0x00, 0x41, 0x42, 0xFD, 0xFF};
    const auto file =
        build_file_from_payload("dir/prog.g6p", payload, make_item_name("PROG"), Title{});
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), 54 + payload.size() - 1);
    EXPECT_EQ((*file)[0], '6');
    EXPECT_EQ((*file)[1], 'p');
    EXPECT_EQ((*file)[53], 0);
    EXPECT_EQ(Bytes(file->begin() + 54, file->end()), Bytes(payload.begin() + 1, payload.end()));
    // A program payload needs its leading byte.
    EXPECT_FALSE(build_file_from_payload("prog.g6p", {}, ItemName{}, Title{}));
}

TEST(FilesBuildFromPayload, OtherTypesKeepThePayloadAndTakeDigitAndLetterFromThePath) {
    const Bytes payload = {0x10, 0x09, 1, 2, 3};
    const auto file = build_file_from_payload("MAT_A.G4M", payload, variable_code_item_name(0x0910),
                                              make_title("Matrix file data"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), 54 + payload.size());
    EXPECT_EQ((*file)[0], '4');
    EXPECT_EQ((*file)[1], 'M');
    EXPECT_EQ((*file)[2], 0x10);
    EXPECT_EQ((*file)[13], 'M');
    EXPECT_EQ(Bytes(file->begin() + 54, file->end()), payload);
    EXPECT_TRUE(build_file_from_payload("x.g6b", {}, spaces_item_name(), Title{}));
    EXPECT_FALSE(build_file_from_payload("p", payload, ItemName{}, Title{}));
    EXPECT_FALSE(build_file_from_payload("x.g6g", payload, ItemName{}, Title{}));
}

TEST(FilesWriteFile, WritesNewFilesAndReportsExistingOnes) {
    FakeFileSystem fs;
    const Bytes bytes = sequence(60);
    EXPECT_EQ(write_file(fs, "a.g6p", bytes, false), FileResult::ok);
    EXPECT_EQ(fs.files["a.g6p"], bytes);
    EXPECT_EQ(write_file(fs, "a.g6p", sequence(3), false), FileResult::exists);
    EXPECT_EQ(fs.files["a.g6p"], bytes);
    EXPECT_EQ(write_file(fs, "a.g6p", sequence(3), true), FileResult::ok);
    EXPECT_EQ(fs.files["a.g6p"], sequence(3));
}

TEST(FilesWriteFile, RefusesPathsOf256Characters) {
    FakeFileSystem fs;
    const std::string longest(255, 'a');
    const std::string too_long(256, 'a');
    EXPECT_FALSE(path_too_long(longest));
    EXPECT_TRUE(path_too_long(too_long));
    EXPECT_EQ(write_file(fs, longest, sequence(1), false), FileResult::ok);
    EXPECT_EQ(write_file(fs, too_long, sequence(1), true), FileResult::failure);
    EXPECT_EQ(fs.files.count(too_long), 0u);
    EXPECT_EQ(fs.write_attempts.size(), 1u);
}

TEST(FilesWriteFile, AFailedWriteLeavesTheOldFile) {
    FakeFileSystem fs;
    fs.put("keep.g6p", sequence(80));
    fs.fail_writes = true;
    EXPECT_EQ(write_file(fs, "keep.g6p", sequence(5), true), FileResult::failure);
    EXPECT_EQ(fs.files["keep.g6p"], sequence(80));
    EXPECT_EQ(write_file(fs, "new.g6p", sequence(5), true), FileResult::failure);
    EXPECT_EQ(fs.files.count("new.g6p"), 0u);
}

TEST(FilesFreeSpace, ComparesWithTheNeed) {
    FakeFileSystem fs;
    fs.free_bytes = 100;
    EXPECT_TRUE(has_free_space(fs, "a", 100));
    EXPECT_FALSE(has_free_space(fs, "a", 101));
    fs.free_bytes = std::nullopt;
    EXPECT_TRUE(has_free_space(fs, "a", 1u << 30));
}

TEST(FilesNameField, BeforeTheFirstDotAtMostEight) {
    const ItemName field = name_field_from_path("C:\\data\\loooongname.g6p");
    EXPECT_EQ(std::string(field.begin(), field.begin() + 8), "loooongn");
    EXPECT_EQ(field[8], 0);
    EXPECT_EQ(field[9], 0);
    EXPECT_EQ(field[10], 0);
    EXPECT_EQ(name_field_from_path("prog.g6p"), make_item_name("prog"));
    EXPECT_EQ(name_field_from_path("a.b.c"), make_item_name("a"));
    EXPECT_EQ(name_field_from_path("/home/u/abcdefghijk"), make_item_name("abcdefgh"));
    EXPECT_EQ(name_field_from_path("dir.x/noext"), make_item_name("noext"));
    EXPECT_EQ(name_field_from_path(".hidden"), ItemName{});
    EXPECT_EQ(name_field_from_path("dir\\"), ItemName{});
    EXPECT_EQ(name_field_from_path(""), ItemName{});
}

}  // namespace
}  // namespace travex
