#pragma once
// The fifteen type letters of calculator files and what each one means: the item it holds, the
// category name the link layer announces it under, the send and receive codes, the title a
// received file gets, how the header's name field is filled and what the body holds.
#include <array>
#include <cstdint>
#include <string_view>

namespace travex {

// How bytes 2-12 of the file header name the item.
enum class HeaderNameForm {
    none,           // group files carry no item
    spaces,         // backups and setup items: eleven spaces
    item_name,      // the calculator's 11-byte name of the item
    variable_code,  // the 2-byte variable code (index byte, prefix byte), then nine spaces
};

// How the transfer payload relates to the file (see calc_file.h).
enum class PayloadForm {
    none,                // never sent (group files)
    name_zero_body,      // name (11), 0x00, body
    name_body,           // name (11), body
    variable_code_body,  // variable code from the header (2), body after its own first 2 bytes
    body,                // body as it is
};

// What the body after the 54-byte header holds.
enum class BodyKind {
    opaque,                      // carried unchanged (backup, solver equation)
    group,                       // group file layout
    opaque_after_variable_code,  // carried unchanged, starts with the variable code (GDB, graph)
    picture,
    list,
    list_database,
    matrix,
    program,
    slide_show,
    table_setup,
    window_setup,
    data_variable,
    zoom,
};

struct FileType {
    char letter;                     // lower case
    std::string_view item;           // what the file holds, e.g. "Program"
    std::string_view type_name;      // 11 characters, empty when the item has none
    std::uint8_t send_class;         // 0 when the file is never sent
    std::uint8_t receive_request;    // 0 when the item is never received
    std::string_view default_title;  // title of a received file, empty for none
    HeaderNameForm name_form;
    PayloadForm payload_form;
    BodyKind body;
};

// The send classes.
inline constexpr std::uint8_t kSendClassNone = 0x00;
inline constexpr std::uint8_t kSendClassNamed = 0x22;  // items of the calculator's directory
inline constexpr std::uint8_t kSendClassBackup = 0x27;
inline constexpr std::uint8_t kSendClassDataVariable = 0x28;
inline constexpr std::uint8_t kSendClassTableSetup = 0x29;
inline constexpr std::uint8_t kSendClassZoom = 0x2A;
inline constexpr std::uint8_t kSendClassWindowSetup = 0x2B;

// clang-format off
inline constexpr std::array<FileType, 15> kFileTypes = {{
    {'b', "Backup", "", 0x27, 0x67, "",
     HeaderNameForm::spaces, PayloadForm::body, BodyKind::opaque},
    {'g', "Group", "", 0x00, 0x00, "",
     HeaderNameForm::none, PayloadForm::none, BodyKind::group},
    {'d', "Graph database", "GDB        ", 0x22, 0x62, "",
     HeaderNameForm::variable_code, PayloadForm::variable_code_body,
     BodyKind::opaque_after_variable_code},
    {'y', "Graph equation", "GRAPH EQU  ", 0x22, 0x62, "",
     HeaderNameForm::variable_code, PayloadForm::variable_code_body,
     BodyKind::opaque_after_variable_code},
    {'e', "Solver equation", "SOLVE EQU  ", 0x22, 0x62, "",
     HeaderNameForm::item_name, PayloadForm::name_body, BodyKind::opaque},
    {'i', "Picture", "PICT       ", 0x22, 0x62, "",
     HeaderNameForm::variable_code, PayloadForm::variable_code_body, BodyKind::picture},
    // A list travels under the same category name as a matrix.
    {'l', "List", "MATRIX     ", 0x22, 0x62, "List file data",
     HeaderNameForm::variable_code, PayloadForm::variable_code_body, BodyKind::list},
    {'n', "List database", "LISTDB     ", 0x22, 0x62, "List database file",
     HeaderNameForm::variable_code, PayloadForm::variable_code_body, BodyKind::list_database},
    {'m', "Matrix", "MATRIX     ", 0x22, 0x62, "Matrix file data",
     HeaderNameForm::variable_code, PayloadForm::variable_code_body, BodyKind::matrix},
    {'p', "Program", "PROGRAM    ", 0x22, 0x62, "",
     HeaderNameForm::item_name, PayloadForm::name_zero_body, BodyKind::program},
    {'s', "Slide show", "ANIME      ", 0x22, 0x62, "Self-made slide show file data",
     HeaderNameForm::item_name, PayloadForm::name_body, BodyKind::slide_show},
    {'t', "Table setup", "", 0x29, 0x69, "Table setup file data",
     HeaderNameForm::spaces, PayloadForm::body, BodyKind::table_setup},
    {'w', "Window setup", "", 0x2B, 0x6B, "Window setup file data",
     HeaderNameForm::spaces, PayloadForm::body, BodyKind::window_setup},
    {'v', "Data variable", "", 0x28, 0x68, "Data variable file data",
     HeaderNameForm::spaces, PayloadForm::body, BodyKind::data_variable},
    // The calculator keeps the zoom values in the window-setup block, so a zoom item is
    // requested with the window-setup code and a zoom file holds that whole block.
    {'z', "Zoom", "", 0x2A, 0x6B, "Zoom file data",
     HeaderNameForm::spaces, PayloadForm::body, BodyKind::zoom},
}};
// clang-format on

// The entry of a type letter (either case), or nullptr for a letter that is not a type.
const FileType* find_file_type(char letter);

inline constexpr std::size_t kTitleSize = 40;
using Title = std::array<std::uint8_t, kTitleSize>;

// Type lookup for sending: the send class (0 for an unknown letter or a group file) and the
// category name the link layer announces.
struct SendLookup {
    std::uint8_t send_class = 0;
    std::string_view type_name;
};
SendLookup lookup_for_sending(char letter);

// Type lookup for receiving: the request code (0 for an unknown letter or a group file), the
// category name and the 40-byte title a received file of this type gets (the default title,
// zero-padded).
struct ReceiveLookup {
    std::uint8_t receive_request = 0;
    std::string_view type_name;
    Title title{};
};
ReceiveLookup lookup_for_receiving(char letter);

// The title field holding text, cut at 40 bytes and zero-padded.
Title make_title(std::string_view text);

}  // namespace travex
