#pragma once
// Items received from the calculator become calculator files: their file names are made from
// the item's name (which comes from the calculator and is made safe for the file system), and
// each one is stored with the free-space check and the overwrite question.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/file_system.h"
#include "files/calc_file.h"
#include "files/file_questions.h"
#include "files/file_types.h"
#include "files/model_table.h"

namespace travex {

// The text an item is known by before it becomes a file name: a fixed name for the single-item
// types, the token name of its variable code (cut after 1 character for 0x0C40..0x0C42, after
// 8 otherwise), or the calculator's 11-byte name.
Bytes received_item_text(const ReceivableType& type, std::uint16_t variable_code,
                         std::span<const std::uint8_t> calculator_name);
// The same with the token name already looked up (used by tests and by callers that hold it).
Bytes received_item_text_from_token(std::uint16_t variable_code, std::string_view token_name);

// The file name of a received item: at most the first 11 bytes of text, 0xFF dropped, spaces
// as '_', a zero byte ends the name, stopping after 8 kept bytes; then ".g", the model digit and
// the type letter; all lower case. Bytes a file name must not hold (path separators, ':', '*',
// '?', '"', '<', '>', '|', control bytes, 0x7F) become '_', an empty or all-dot base name and a
// reserved device name are made safe, so the name always stays one plain name in its folder.
std::string received_item_file_name(std::span<const std::uint8_t> text, char model_digit,
                                    char type_letter);

// The file name of item index (0-based) of a receivable type under a model: the name the
// receive list proposes. calculator_name is the item's 11-byte name for types whose items the
// calculator lists (ignored for the others).
std::string received_item_file_name(const ReceivableType& type, int index,
                                    std::span<const std::uint8_t> calculator_name,
                                    int model_code = kRunningModelCode);

// A single file name made safe to join to a folder (the same replacements as above, without
// the length rules); names that are already safe come back unchanged.
std::string safe_leaf_name(std::string_view name);

// The folder joined with a leaf name; an empty folder is the current directory.
std::string join_folder(std::string_view folder, std::string_view leaf);

// The header name of a received item: the calculator's name, the variable code and nine spaces,
// or eleven spaces, by the type's header name form.
ItemName received_header_name(char type_letter, std::uint16_t variable_code,
                              std::span<const std::uint8_t> calculator_name);

// The state of one receive operation: reset when a new one starts.
struct ReceiveState {
    bool overwrite_all = false;
    ItemName item_name{};
    Title title{};
};

// Prepares the state for the next item: its header name and its type's default title.
void begin_received_item(ReceiveState& state, char type_letter, const ItemName& item_name);

enum class StoreOutcome { continue_receiving, abort };

// Stores a received payload as the calculator file folder/file_name (file_name is made safe
// with safe_leaf_name first). Not enough free space: message 419, abort. An existing file:
// the question, unless overwrite-all was answered before in this operation. A path too long:
// message 428, abort; any other write failure: message 427, abort.
StoreOutcome store_received_item(FileSystem& fs, FileQuestions& questions, ReceiveState& state,
                                 std::string_view folder, std::string_view file_name,
                                 std::span<const std::uint8_t> payload);

}  // namespace travex
