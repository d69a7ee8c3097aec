#include "repro/repro_settings.h"

#include <array>
#include <string>

namespace travex::repro {
namespace {

constexpr std::string_view kComm = "COMM";
constexpr std::string_view kFile = "FILE";
constexpr std::string_view kVersion = "VERSION";
constexpr std::string_view kFrom = "FROM";
constexpr std::string_view kTarget = "TARGET";

// The text keys in file order, with where each lives in the settings.
struct TextKey {
    std::string_view section;
    std::string_view key;
    std::string ReproSettings::*field;
};

constexpr std::array<TextKey, 15> kTextKeys = {{
    {kComm, "DATA BAUD RATE", &ReproSettings::data_baud_rate},
    {kFile, "BIN FILE", &ReproSettings::bin_file},
    {kVersion, "MAJOR", &ReproSettings::major},
    {kVersion, "MINOR", &ReproSettings::minor},
    {kFrom, "FROM START ADDR", &ReproSettings::from_start_addr},
    {kFrom, "LARGE PAGE START ADDR", &ReproSettings::large_page_start_addr},
    {kFrom, "LARGE PAGE END ADDR", &ReproSettings::large_page_end_addr},
    {kFrom, "LARGE PAGE SEND SIZE", &ReproSettings::large_page_send_size},
    {kFrom, "SMALL PAGE START ADDR", &ReproSettings::small_page_start_addr},
    {kFrom, "SMALL PAGE END ADDR", &ReproSettings::small_page_end_addr},
    {kFrom, "SMALL PAGE SEND SIZE", &ReproSettings::small_page_send_size},
    {kFrom, "SIZE", &ReproSettings::size},
    {kFrom, "CHECK SUM ADDR", &ReproSettings::check_sum_addr},
    {kTarget, "DATA1", &ReproSettings::data1},
    {kTarget, "DATA2", &ReproSettings::data2},
}};

struct IntKey {
    std::string_view section;
    std::string_view key;
    int ReproSettings::*field;
};

constexpr std::array<IntKey, 5> kIntKeys = {{
    {kComm, "ENABLE DATA BAUD RATE", &ReproSettings::enable_data_baud_rate},
    {kComm, "ENABLE CHAR WAIT", &ReproSettings::enable_char_wait},
    {kComm, "CHAR WAIT", &ReproSettings::char_wait},
    {kFrom, "WRITE CHECK SUM", &ReproSettings::write_check_sum},
    {kTarget, "USE MACHINE CODE", &ReproSettings::use_machine_code},
}};

constexpr std::string_view kModelKey = "MODEL";

// The seven values without which no page can be placed.
constexpr std::array<std::string ReproSettings::*, 7> kRequiredLayout = {
    &ReproSettings::from_start_addr,       &ReproSettings::large_page_start_addr,
    &ReproSettings::large_page_end_addr,   &ReproSettings::large_page_send_size,
    &ReproSettings::small_page_start_addr, &ReproSettings::small_page_end_addr,
    &ReproSettings::small_page_send_size,
};

}  // namespace

ReproSettings read_repro_settings(ProfileStore& store) {
    const ReproSettings defaults;
    ReproSettings settings;
    for (const TextKey& k : kTextKeys) {
        settings.*k.field = store.get_string(k.section, k.key, defaults.*k.field);
    }
    for (const IntKey& k : kIntKeys) {
        settings.*k.field = store.get_int(k.section, k.key, defaults.*k.field);
    }
    return settings;
}

bool write_repro_settings(ProfileStore& store, const ReproSettings& settings) {
    bool ok = true;
    for (const TextKey& k : kTextKeys) {
        ok = store.write_string(k.section, k.key, settings.*k.field) && ok;
    }
    for (const IntKey& k : kIntKeys) {
        ok = store.write_string(k.section, k.key, std::to_string(settings.*k.field)) && ok;
    }
    ok = store.write_string(kTarget, kModelKey, kTargetModel) && ok;
    return ok;
}

LoadedReproSettings load_repro_settings(ProfileStore& store) {
    LoadedReproSettings loaded;
    loaded.settings = read_repro_settings(store);
    loaded.written = write_repro_settings(store, loaded.settings);
    for (const auto field : kRequiredLayout) {
        if ((loaded.settings.*field).empty()) {
            loaded.outcome = LoadOutcome::missing_layout_value;
        }
    }
    return loaded;
}

std::uint32_t repro_number(std::string_view text) {
    unsigned base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            break;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) {
            return 0xFFFFFFFFu;
        }
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace travex::repro
