#pragma once
// The calculator models the application knows, the family an extension digit belongs to, and
// the item types offered when receiving from the calculator.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace travex {

struct ModelInfo {
    int code;
    std::string_view model;            // "RQ-7310"
    char own_digit;                    // extension digit of files this model writes
    std::string_view accepted_digits;  // extension digits of files it reads
    std::string_view identifier;       // two characters exchanged on the link
    int filter_first_id;               // block of file-dialog filter strings
    int filter_last_id;
    std::string_view keypad_caption;
    // Upper-case type letters of the receivable item types this model offers, in list order.
    std::string_view receive_types;
};

// clang-format off
inline constexpr std::array<ModelInfo, 5> kModels = {{
    {2, "RQ-7200", '2', "2",  "72", 100, 110, "KeyPad RQ-7200", "BDYEILNMPSTWVZ"},
    {3, "RQ-7100", '3', "3",  "71", 120, 130, "KeyPad RQ-7100", "BDYILNPTWVZ"},
    {4, "RQ-7310", '6', "46", "75", 180, 193, "KeyPad RQ-7310", "BDYEILNMPSTWVZ"},
    {5, "RQ-7110", '5', "35", "74", 160, 173, "KeyPad RQ-7110", "BDYILNPSTWVZ"},
    {6, "RQ-7300", '4', "4",  "75", 140, 153, "KeyPad RQ-7300", "BDYEILNMPSTWVZ"},
}};
// clang-format on

// The application always works as model code 4 (whatever the settings say).
inline constexpr int kRunningModelCode = 4;

// The row of a model code, or nullptr for an unknown code.
const ModelInfo* find_model(int model_code);
// The running model's row (never null).
const ModelInfo& running_model();
// The extension digit of files written by the running model: '6'.
char running_model_digit();

// The model family of an extension digit: '2'..'5' map to themselves, '6' to 4; any other
// character to 0 (none).
int model_family_of_digit(char digit);

// The header model digit a file must carry under the model (used by the model check when a
// file is read for sending): '0' + model code.
char header_digit_of_model(int model_code);

// What the link layer answers when asked for the model's identifier and digit: codes 4 and 6
// both answer "75" and '6'; the others their own identifier and digit.
struct LinkIdentity {
    std::string_view identifier;
    char digit = 0;
};
std::optional<LinkIdentity> link_identity(int model_code);

// A run of consecutive variable codes (prefix * 256 + index), first..last inclusive.
struct VariableCodeRange {
    std::uint16_t first;
    std::uint16_t last;
    constexpr int count() const { return last - first + 1; }
};

// How the items of a receivable type are named.
enum class ReceivableNaming {
    fixed_name,       // one item with a fixed name ("Backup", "tblsetup", ...)
    variable_code,    // one item per variable code of the ranges
    calculator_list,  // the items the calculator lists, under the calculator's names
};

struct ReceivableType {
    char letter;  // upper case
    ReceivableNaming naming;
    std::string_view fixed_name;                     // fixed_name only
    std::span<const VariableCodeRange> code_ranges;  // variable_code only
};

inline constexpr std::array<VariableCodeRange, 1> kGraphDatabaseCodes = {{{0x0D20, 0x0D29}}};
// Models with the short list offer only the first 22 of these.
inline constexpr std::array<VariableCodeRange, 4> kGraphEquationCodes = {
    {{0x0C10, 0x0C19}, {0x0C20, 0x0C2B}, {0x0C30, 0x0C35}, {0x0C40, 0x0C42}}};
inline constexpr std::array<VariableCodeRange, 1> kPictureCodes = {{{0x0D10, 0x0D19}}};
inline constexpr std::array<VariableCodeRange, 1> kListCodes = {{{0x0810, 0x0815}}};
inline constexpr std::array<VariableCodeRange, 1> kListDatabaseCodes = {{{0x0D30, 0x0D39}}};
inline constexpr std::array<VariableCodeRange, 1> kMatrixCodes = {{{0x0910, 0x0919}}};

// The fourteen receivable item types in their fixed order.
// clang-format off
inline constexpr std::array<ReceivableType, 14> kReceivableTypes = {{
    {'B', ReceivableNaming::fixed_name, "Backup", {}},
    {'D', ReceivableNaming::variable_code, "", kGraphDatabaseCodes},
    {'Y', ReceivableNaming::variable_code, "", kGraphEquationCodes},
    {'E', ReceivableNaming::calculator_list, "", {}},
    {'I', ReceivableNaming::variable_code, "", kPictureCodes},
    {'L', ReceivableNaming::variable_code, "", kListCodes},
    {'N', ReceivableNaming::variable_code, "", kListDatabaseCodes},
    {'M', ReceivableNaming::variable_code, "", kMatrixCodes},
    {'P', ReceivableNaming::calculator_list, "", {}},
    {'S', ReceivableNaming::calculator_list, "", {}},
    {'T', ReceivableNaming::fixed_name, "tblsetup", {}},
    {'W', ReceivableNaming::fixed_name, "winsetup", {}},
    {'V', ReceivableNaming::fixed_name, "variable", {}},
    {'Z', ReceivableNaming::fixed_name, "zoom", {}},
}};
// clang-format on

// The receivable type of a letter (either case), or nullptr.
const ReceivableType* find_receivable_type(char letter);

// The receivable types a model offers, in its list order (empty for an unknown model).
std::vector<const ReceivableType*> receivable_types_of_model(int model_code);

// The three-character code of a receivable type: "G" + model digit + upper-case letter.
std::string receivable_type_code(const ReceivableType& type, char model_digit);

// Number of graph equations a model offers: 31 for model codes 2 and 4, 22 for the others.
int graph_equation_count(int model_code);

// Items of a type under a model: 1 for fixed names, the number of variable codes, nullopt for
// types whose items the calculator lists.
std::optional<int> receivable_item_count(const ReceivableType& type, int model_code);

// The variable code of item index (0-based) of a variable-code type, or nullopt when the index
// is out of range for the model or the type is not named by variable codes.
std::optional<std::uint16_t> receivable_variable_code(const ReceivableType& type, int index,
                                                      int model_code);

}  // namespace travex
