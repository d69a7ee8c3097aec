#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "files/file_kind.h"
#include "files/file_types.h"
#include "files/model_table.h"

namespace travex {
namespace {

TEST(FilesTypeTable, ShapeAndLookups) {
    for (const FileType& type : kFileTypes) {
        SCOPED_TRACE(type.letter);
        // Found by its letter in either case (so no letter is there twice).
        EXPECT_EQ(find_file_type(static_cast<char>(type.letter - 'a' + 'A')), &type);
        // Exactly the items of the calculator's directory have an 11-character category name.
        EXPECT_EQ(type.type_name.size(), type.send_class == kSendClassNamed ? 11u : 0u);
        EXPECT_LE(type.default_title.size(), kTitleSize);
        // The receive code is the send code + 0x40, except for a zoom, which is requested as
        // the window setup that holds it; a group file is neither sent nor received.
        const int expected = type.letter == 'z'     ? 0x6B
                             : type.send_class == 0 ? 0
                                                    : type.send_class + 0x40;
        EXPECT_EQ(type.receive_request, expected);
    }
    EXPECT_EQ(lookup_for_sending('P').type_name, "PROGRAM    ");
    EXPECT_EQ(lookup_for_sending('l').type_name, "MATRIX     ");
    EXPECT_EQ(lookup_for_sending('g').send_class, 0);
    for (char letter : std::string("aqQ0 \x01\xff")) {
        EXPECT_EQ(find_file_type(letter), nullptr) << int(letter);
        EXPECT_EQ(lookup_for_receiving(letter).receive_request, 0);
    }
    EXPECT_EQ(lookup_for_receiving('L').title, make_title("List file data"));
    EXPECT_EQ(lookup_for_receiving('p').title, Title{});
}

TEST(FilesReceivableTypes, ListsCountsAndVariableCodes) {
    for (const ReceivableType& type : kReceivableTypes) {
        ASSERT_NE(find_file_type(type.letter), nullptr);
        EXPECT_NE(find_file_type(type.letter)->receive_request, 0);
    }
    EXPECT_TRUE(receivable_types_of_model(0).empty());
    EXPECT_EQ(receivable_type_code(*find_receivable_type('m'), '6'), "G6M");

    // Item counts, and codes that run across the ranges and stop at the model's count.
    // clang-format off
    const std::tuple<char, int, std::optional<int>> counts[] = {
        {'Y', 4, 31}, {'Y', 2, 31}, {'Y', 3, 22}, {'L', 4, 6}, {'B', 4, 1}, {'P', 4, {}}};
    const std::tuple<char, int, int, std::optional<int>> codes[] = {
        {'Y', 0, 4, 0x0C10}, {'Y', 9, 4, 0x0C19}, {'Y', 10, 4, 0x0C20}, {'Y', 22, 4, 0x0C30},
        {'Y', 28, 4, 0x0C40}, {'Y', 30, 4, 0x0C42}, {'Y', 31, 4, {}}, {'Y', 21, 3, 0x0C2B},
        {'Y', 22, 3, {}}, {'Y', -1, 4, {}}, {'L', 5, 4, 0x0815}, {'L', 6, 4, {}}, {'P', 0, 4, {}}};
    // clang-format on
    for (const auto& [letter, model, count] : counts) {
        EXPECT_EQ(receivable_item_count(*find_receivable_type(letter), model), count) << letter;
    }
    for (const auto& [letter, index, model, code] : codes) {
        const auto got = receivable_variable_code(*find_receivable_type(letter), index, model);
        EXPECT_EQ(got ? std::optional<int>(*got) : std::nullopt, code) << letter << index;
    }
}

TEST(FilesFileKind, KindsOfNames) {
    const std::pair<const char*, FileKind> cases[] = {
        {"C:\\d\\x.y\\PROG.G4P", FileKind::program},
        {"notes.TXT", FileKind::text},
        {"shot.bmp", FileKind::bitmap},
        {"SCREEN IMAGE12", FileKind::screen_image},
        {"Screen ima", FileKind::none},
        {"C:\\x.g6p\\noext", FileKind::none},
    };
    for (const auto& [name, kind] : cases) {
        EXPECT_EQ(file_kind_of(name), kind) << name;
    }
    for (const char* name : {"a.g6b", "a.g6g", "a.g6d", "a.g6y", "a.g6e", "a.g5p", "a.g6", "a.g6pp",
                             "a.", "a.text", "", "a.h6p"}) {
        EXPECT_EQ(file_kind_of(name), FileKind::none) << name;
    }
    // Each calculator kind's header letter maps back to that kind, in both cases.
    for (int k = 1; k <= 10; ++k) {
        const auto kind = static_cast<FileKind>(k);
        const char letter = *header_letter_of_kind(kind);
        EXPECT_EQ(file_kind_of(std::string("x.g6") + letter), kind);
        EXPECT_EQ(file_kind_of(std::string("x.G4") + char(letter - 'a' + 'A')), kind);
    }
    EXPECT_FALSE(header_letter_of_kind(FileKind::text));
    EXPECT_FALSE(header_letter_of_kind(FileKind::none));
}

}  // namespace
}  // namespace travex
