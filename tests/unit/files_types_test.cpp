#include <gtest/gtest.h>

#include <set>
#include <string>

#include "files/file_kind.h"
#include "files/file_types.h"
#include "files/model_table.h"

namespace travex {
namespace {

TEST(FilesTypeTable, HoldsTheFifteenLettersInDocumentOrder) {
    std::string letters;
    for (const FileType& type : kFileTypes) {
        letters += type.letter;
    }
    EXPECT_EQ(letters, "bgdyeilnmpstwvz");
}

TEST(FilesTypeTable, TypeNamesAreElevenCharactersOrAbsent) {
    for (const FileType& type : kFileTypes) {
        SCOPED_TRACE(type.letter);
        EXPECT_TRUE(type.type_name.empty() || type.type_name.size() == 11);
        // Exactly the items of the calculator's directory have a category name.
        EXPECT_EQ(!type.type_name.empty(), type.send_class == kSendClassNamed);
    }
    EXPECT_EQ(find_file_type('l')->type_name, "MATRIX     ");
    EXPECT_EQ(find_file_type('m')->type_name, "MATRIX     ");
    EXPECT_EQ(find_file_type('p')->type_name, "PROGRAM    ");
}

TEST(FilesTypeTable, ReceiveCodeIsSendCodePlus40ExceptZoomWhichUsesWindowSetup) {
    for (const FileType& type : kFileTypes) {
        SCOPED_TRACE(type.letter);
        if (type.letter == 'g') {
            EXPECT_EQ(type.send_class, 0);
            EXPECT_EQ(type.receive_request, 0);
        } else if (type.letter == 'z') {
            EXPECT_EQ(type.send_class, 0x2A);
            EXPECT_EQ(type.receive_request, 0x6B);
        } else {
            EXPECT_EQ(type.receive_request, type.send_class + 0x40);
        }
    }
}

TEST(FilesTypeTable, SendLookupIgnoresCaseAndRefusesOtherLetters) {
    EXPECT_EQ(lookup_for_sending('p').send_class, 0x22);
    EXPECT_EQ(lookup_for_sending('P').send_class, 0x22);
    EXPECT_EQ(lookup_for_sending('P').type_name, "PROGRAM    ");
    EXPECT_EQ(lookup_for_sending('B').send_class, 0x27);
    EXPECT_EQ(lookup_for_sending('v').send_class, 0x28);
    EXPECT_EQ(lookup_for_sending('T').send_class, 0x29);
    EXPECT_EQ(lookup_for_sending('w').send_class, 0x2B);
    for (char letter : std::string("gGaxqQ0 \x01\xff")) {
        SCOPED_TRACE(static_cast<int>(letter));
        EXPECT_EQ(lookup_for_sending(letter).send_class, 0);
        EXPECT_TRUE(lookup_for_sending(letter).type_name.empty());
    }
}

TEST(FilesTypeTable, ReceiveLookupGivesZeroPaddedDefaultTitle) {
    const ReceiveLookup list = lookup_for_receiving('L');
    EXPECT_EQ(list.receive_request, 0x62);
    EXPECT_EQ(list.type_name, "MATRIX     ");
    EXPECT_EQ(std::string(list.title.begin(), list.title.begin() + 14), "List file data");
    for (std::size_t i = 14; i < list.title.size(); ++i) {
        EXPECT_EQ(list.title[i], 0) << i;
    }
    // The longest default title still fits the 40-byte field.
    const ReceiveLookup show = lookup_for_receiving('s');
    EXPECT_EQ(std::string(show.title.begin(), show.title.begin() + 30),
              "Self-made slide show file data");
    EXPECT_EQ(lookup_for_receiving('p').title, Title{});
    EXPECT_EQ(lookup_for_receiving('z').receive_request, 0x6B);
    EXPECT_EQ(lookup_for_receiving('?').receive_request, 0);
}

TEST(FilesModelTable, TheRunningModelIsCodeFourWritingDigitSix) {
    EXPECT_EQ(running_model().code, 4);
    EXPECT_EQ(running_model_digit(), '6');
    EXPECT_EQ(running_model().accepted_digits, "46");
    EXPECT_EQ(find_model(1), nullptr);
    EXPECT_EQ(find_model(7), nullptr);
}

TEST(FilesModelTable, ExtensionDigitFamilies) {
    EXPECT_EQ(model_family_of_digit('2'), 2);
    EXPECT_EQ(model_family_of_digit('3'), 3);
    EXPECT_EQ(model_family_of_digit('4'), 4);
    EXPECT_EQ(model_family_of_digit('5'), 5);
    EXPECT_EQ(model_family_of_digit('6'), 4);
    for (char digit : std::string("0178a \xff")) {
        EXPECT_EQ(model_family_of_digit(digit), 0) << digit;
    }
}

TEST(FilesModelTable, ModelsFourAndSixAnswerTheLinkAsTheNewestModel) {
    for (int code : {4, 6}) {
        auto identity = link_identity(code);
        ASSERT_TRUE(identity);
        EXPECT_EQ(identity->identifier, "75");
        EXPECT_EQ(identity->digit, '6');
    }
    EXPECT_EQ(link_identity(3)->identifier, "71");
    EXPECT_EQ(link_identity(5)->digit, '5');
    EXPECT_FALSE(link_identity(9));
}

TEST(FilesReceivableTypes, FixedOrderAndCodes) {
    std::string letters;
    for (const ReceivableType& type : kReceivableTypes) {
        letters += type.letter;
        // Every receivable letter is a file type that can be requested.
        ASSERT_NE(find_file_type(type.letter), nullptr);
        EXPECT_NE(find_file_type(type.letter)->receive_request, 0);
    }
    EXPECT_EQ(letters, "BDYEILNMPSTWVZ");
    EXPECT_EQ(receivable_type_code(*find_receivable_type('m'), '6'), "G6M");
    EXPECT_EQ(receivable_type_code(kReceivableTypes[0], '4'), "G4B");
    EXPECT_EQ(find_receivable_type('g'), nullptr);
}

TEST(FilesReceivableTypes, ModelListsLeaveOutWhatTheModelLacks) {
    auto letters_of = [](int code) {
        std::string s;
        for (const ReceivableType* type : receivable_types_of_model(code)) {
            s += type->letter;
        }
        return s;
    };
    EXPECT_EQ(letters_of(2), "BDYEILNMPSTWVZ");
    EXPECT_EQ(letters_of(4), "BDYEILNMPSTWVZ");
    EXPECT_EQ(letters_of(6), "BDYEILNMPSTWVZ");
    EXPECT_EQ(letters_of(3), "BDYILNPTWVZ");
    EXPECT_EQ(letters_of(5), "BDYILNPSTWVZ");
    EXPECT_TRUE(receivable_types_of_model(0).empty());
}

TEST(FilesReceivableTypes, ItemCounts) {
    auto count = [](char letter, int model) {
        return receivable_item_count(*find_receivable_type(letter), model);
    };
    EXPECT_EQ(count('B', 4), 1);
    EXPECT_EQ(count('D', 4), 10);
    EXPECT_EQ(count('Y', 4), 31);
    EXPECT_EQ(count('Y', 2), 31);
    EXPECT_EQ(count('Y', 3), 22);
    EXPECT_EQ(count('Y', 5), 22);
    EXPECT_EQ(count('Y', 6), 22);
    EXPECT_EQ(count('I', 4), 10);
    EXPECT_EQ(count('L', 4), 6);
    EXPECT_EQ(count('N', 4), 10);
    EXPECT_EQ(count('M', 4), 10);
    EXPECT_EQ(count('Z', 4), 1);
    EXPECT_FALSE(count('P', 4));
    EXPECT_FALSE(count('E', 4));
    EXPECT_FALSE(count('S', 4));
    EXPECT_EQ(find_receivable_type('T')->fixed_name, "tblsetup");
    EXPECT_EQ(find_receivable_type('B')->fixed_name, "Backup");
}

TEST(FilesReceivableTypes, GraphEquationCodesRunAcrossTheRangesAndStopAtTheModelCount) {
    const ReceivableType& graph = *find_receivable_type('Y');
    EXPECT_EQ(receivable_variable_code(graph, 0, 4), 0x0C10);
    EXPECT_EQ(receivable_variable_code(graph, 9, 4), 0x0C19);
    EXPECT_EQ(receivable_variable_code(graph, 10, 4), 0x0C20);
    EXPECT_EQ(receivable_variable_code(graph, 21, 4), 0x0C2B);
    EXPECT_EQ(receivable_variable_code(graph, 22, 4), 0x0C30);
    EXPECT_EQ(receivable_variable_code(graph, 28, 4), 0x0C40);
    EXPECT_EQ(receivable_variable_code(graph, 30, 4), 0x0C42);
    EXPECT_FALSE(receivable_variable_code(graph, 31, 4));
    EXPECT_EQ(receivable_variable_code(graph, 21, 3), 0x0C2B);
    EXPECT_FALSE(receivable_variable_code(graph, 22, 3));
    EXPECT_FALSE(receivable_variable_code(graph, -1, 4));

    // Every code is distinct.
    std::set<int> codes;
    for (int i = 0; i < 31; ++i) {
        codes.insert(*receivable_variable_code(graph, i, 4));
    }
    EXPECT_EQ(codes.size(), 31u);
}

TEST(FilesReceivableTypes, OtherVariableCodeRanges) {
    EXPECT_EQ(receivable_variable_code(*find_receivable_type('M'), 0, 4), 0x0910);
    EXPECT_EQ(receivable_variable_code(*find_receivable_type('M'), 9, 4), 0x0919);
    EXPECT_EQ(receivable_variable_code(*find_receivable_type('L'), 5, 4), 0x0815);
    EXPECT_FALSE(receivable_variable_code(*find_receivable_type('L'), 6, 4));
    EXPECT_EQ(receivable_variable_code(*find_receivable_type('D'), 9, 4), 0x0D29);
    EXPECT_EQ(receivable_variable_code(*find_receivable_type('I'), 0, 4), 0x0D10);
    EXPECT_EQ(receivable_variable_code(*find_receivable_type('N'), 9, 4), 0x0D39);
    EXPECT_FALSE(receivable_variable_code(*find_receivable_type('P'), 0, 4));
    EXPECT_FALSE(receivable_variable_code(*find_receivable_type('B'), 0, 4));
}

TEST(FilesFileKind, CalculatorExtensionsOfBothDigitsInAnyCase) {
    EXPECT_EQ(file_kind_of("prog.g6p"), FileKind::program);
    EXPECT_EQ(file_kind_of("PROG.G4P"), FileKind::program);
    EXPECT_EQ(file_kind_of("a.G6s"), FileKind::slide_show);
    EXPECT_EQ(file_kind_of("a.g4i"), FileKind::picture);
    EXPECT_EQ(file_kind_of("a.g6L"), FileKind::list);
    EXPECT_EQ(file_kind_of("a.g6n"), FileKind::list_database);
    EXPECT_EQ(file_kind_of("a.g6m"), FileKind::matrix);
    EXPECT_EQ(file_kind_of("a.g6t"), FileKind::table_setup);
    EXPECT_EQ(file_kind_of("a.g6w"), FileKind::window_setup);
    EXPECT_EQ(file_kind_of("a.g6v"), FileKind::data_variable);
    EXPECT_EQ(file_kind_of("a.g6z"), FileKind::zoom);
    EXPECT_EQ(file_kind_of("notes.TXT"), FileKind::text);
    EXPECT_EQ(file_kind_of("shot.bmp"), FileKind::bitmap);
    EXPECT_EQ(file_kind_of("C:\\data\\x.y\\prog.g6p"), FileKind::program);
    EXPECT_EQ(file_kind_of("/home/u/a.b.g4m"), FileKind::matrix);
}

TEST(FilesFileKind, OtherExtensionsAndNamesAreKindZero) {
    for (const char* name :
         {"a.g6b", "a.g6g", "a.g6d", "a.g6y", "a.g6e", "a.g5p", "a.g2p", "a.g6", "a.g6pp", "a.gp",
          "a.", "a.tx", "a.text", "noext", "", "C:\\x.g6p\\noext", "a.h6p"}) {
        EXPECT_EQ(file_kind_of(name), FileKind::none) << name;
    }
}

TEST(FilesFileKind, ScreenImageNamesHaveNoDot) {
    EXPECT_EQ(file_kind_of("Screen image1"), FileKind::screen_image);
    EXPECT_EQ(file_kind_of("SCREEN IMAGE12"), FileKind::screen_image);
    EXPECT_EQ(file_kind_of("Screen image"), FileKind::screen_image);
    EXPECT_EQ(file_kind_of("Screen ima"), FileKind::none);
    EXPECT_EQ(file_kind_of("Screen image1.g6q"), FileKind::none);
    EXPECT_EQ(file_kind_of("Screenimage1"), FileKind::none);
}

TEST(FilesFileKind, HeaderLetters) {
    EXPECT_EQ(header_letter_of_kind(FileKind::program), 'p');
    EXPECT_EQ(header_letter_of_kind(FileKind::zoom), 'z');
    EXPECT_EQ(header_letter_of_kind(FileKind::matrix), 'm');
    EXPECT_FALSE(header_letter_of_kind(FileKind::text));
    EXPECT_FALSE(header_letter_of_kind(FileKind::none));
    // Each calculator kind's letter maps back to that kind.
    for (int k = 1; k <= 10; ++k) {
        const auto kind = static_cast<FileKind>(k);
        EXPECT_EQ(file_kind_of(std::string("x.g6") + *header_letter_of_kind(kind)), kind);
    }
}

}  // namespace
}  // namespace travex
