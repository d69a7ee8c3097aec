#pragma once
// The firmware update's settings file "repro.ini": the flash layout of the calculator, the
// transfer options and the image to send. Read whole when the Repro dialog opens and written
// back whole, so a missing file comes into being with every default and a damaged one is
// repaired key by key.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/profile_store.h"

namespace travex::repro {

inline constexpr std::string_view kReproFileName = "repro.ini";
// The one target model: whatever "MODEL" says, this is what is written back.
inline constexpr std::string_view kTargetModel = "RQ-7310";

// Values as they stand in the file: text values stay text until used (see repro_number), the
// flags and "CHAR WAIT" are integers.
struct ReproSettings {
    // [COMM]
    std::string data_baud_rate = "38400";
    int enable_data_baud_rate = 1;
    int enable_char_wait = 0;
    int char_wait = 0;
    // [FILE]
    std::string bin_file;
    // [VERSION]
    std::string major = "0x33";
    std::string minor = "0x00";
    // [FROM]
    std::string from_start_addr = "0xf00000";
    std::string large_page_start_addr = "0xf00000";
    std::string large_page_end_addr = "0xff0000";
    std::string large_page_send_size = "0x4000";
    std::string small_page_start_addr = "0xff0000";
    std::string small_page_end_addr = "0xffc000";
    std::string small_page_send_size = "0x2000";
    std::string size = "0x100000";
    int write_check_sum = 1;
    std::string check_sum_addr = "0x0fbfe0";
    // [TARGET]
    std::string data1 = "0x00";
    std::string data2 = "0x00";
    int use_machine_code = 1;
};

// Reads every key with its default. "MODEL" is not read into the settings: the target is fixed.
ReproSettings read_repro_settings(ProfileStore& store);

// Writes every key, "MODEL" as "RQ-7310" and the integers as decimal text. False when a value
// could not be written.
bool write_repro_settings(ProfileStore& store, const ReproSettings& settings);

enum class LoadOutcome {
    ok,
    // One of the seven layout values is empty: "init err", and the dialog does not open.
    missing_layout_value,
};

struct LoadedReproSettings {
    ReproSettings settings;
    LoadOutcome outcome = LoadOutcome::ok;
    bool written = true;  // false when writing the file back failed
};

// Read all, write all back, then require the seven layout values.
LoadedReproSettings load_repro_settings(ProfileStore& store);

// The message (and title) of a missing layout value.
inline constexpr std::string_view kInitErrorText = "init err";

// A text value as a number: empty gives 0, "0x"/"0X" reads hexadecimal after those two
// characters, anything else decimal; reading stops at the first character that is no digit, so
// "12abc" is 12 and "abc" is 0. A value too large for 32 bits gives 0xFFFFFFFF, which every
// layout check refuses, rather than a small number that would look valid.
std::uint32_t repro_number(std::string_view text);

}  // namespace travex::repro
