#pragma once
// Calculator files and text files as the editor shows them, and the saving of a window's text
// as a plain text file.
//
// Opening converts a file into calculator text: a program through the detokenizer, a data file
// through its export, a text file by decoding its @name@ escapes. Saving goes the other way for
// every window that is not a program: the text is encoded with escapes and written as it is.
#include <cstddef>
#include <string>
#include <string_view>
#include "base/message_id.h"

#include "base/file_system.h"
#include "files/calc_file.h"
#include "files/file_kind.h"

namespace travex {

// A body is read up to this many bytes after the header.
inline constexpr std::size_t kMaxBodyRead = 61440;
// Data files must be longer than this to hold any data.
inline constexpr std::size_t kMinDataFileSize = 63;
// Saving needs this much room beyond the text.
inline constexpr std::size_t kSaveSpareBytes = 94;

struct OpenedText {
    FileKind kind = FileKind::none;
    std::string title;  // the header's title up to its first zero byte; empty for text files
    ItemName name{};    // the header's name field (bytes 2-12); zero for text files
    std::string text;   // calculator text
};

struct OpenTextResult {
    MessageId message =
        MessageId::none;  // none on success, else the message to show (the window is closed)
    OpenedText opened;

    bool ok() const { return message == MessageId::none; }
};

// Opens a program, data or text file as calculator text. Messages: 415 for a name that is not
// one of these kinds or a header that does not match the name (type letter in either case,
// model digit equal to the extension's digit); 410 when the file cannot be read; 421 for a
// data file of 62 bytes or less; MessageId::text_too_large when the text would be longer than a
// converted text may be (kMaxConvertedText) — such a text is refused whole, never shown cut. A
// text file's lone LF and lone CR line breaks become CR LF.
OpenTextResult open_as_text(FileSystem& fs, const std::string& path);

// The conversion alone, for a whole file image already in memory; the same messages except 410.
OpenTextResult convert_to_text(FileKind kind, char extension_digit, std::string_view file);

// Saves a window's calculator text as a plain text file: escapes encoded, no header and no
// trailer, written so that a failure leaves any existing file untouched. Returns 0, or the
// message to show: 428 for a path of 256 characters or more, 419 when the volume has less
// than the encoded length plus 94 bytes free, 427 when the file cannot be written.
MessageId save_text_file(FileSystem& fs, const std::string& path, std::string_view calculator_text);

}  // namespace travex
