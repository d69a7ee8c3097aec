#include "link/receive_categories.h"

#include "link/transfer_files.h"

namespace travex::link {
namespace {

constexpr std::array<char, kReceiveSlots> kSlotLetters = {'b', 'd', 'y', 'e', 'i', 'l', 'n',
                                                          'm', 'p', 's', 't', 'w', 'v', 'z'};

struct CodeRange {
    std::uint8_t prefix;
    std::uint8_t first;
    std::uint8_t last;
};

std::vector<std::uint16_t> codes_of(std::initializer_list<CodeRange> ranges) {
    std::vector<std::uint16_t> codes;
    for (const CodeRange& r : ranges) {
        for (int i = r.first; i <= r.last; ++i) {
            codes.push_back(static_cast<std::uint16_t>(r.prefix * 256 + i));
        }
    }
    return codes;
}

ReceiveItem code_item(int slot, int position, std::uint16_t code, char digit) {
    ReceiveItem item;
    item.slot = slot;
    item.position = position;
    item.letter = kSlotLetters[static_cast<std::size_t>(slot)];
    item.form = RequestForm::by_code;
    item.request.fill(' ');
    item.request[0] = static_cast<std::uint8_t>(code & 0xFF);  // index byte first on the wire
    item.request[1] = static_cast<std::uint8_t>(code >> 8);
    item.line_text = received_file_name(variable_code_name(code), digit, item.letter);
    return item;
}

ReceiveItem single_item(int slot, std::string_view name, char digit) {
    ReceiveItem item;
    item.slot = slot;
    item.letter = kSlotLetters[static_cast<std::size_t>(slot)];
    item.form = RequestForm::setup;
    item.request.fill(' ');
    item.line_text = received_file_name(name, digit, item.letter);
    return item;
}

}  // namespace

char model_digit(int model_code) {
    switch (model_code) {
        case 2:
            return '2';
        case 3:
            return '3';
        case 5:
            return '5';
        case 6:
            return '4';
        default:
            return '6';
    }
}

std::array<ReceiveCategory, kReceiveSlots> build_receive_categories(
    int model_code, const std::array<std::vector<ItemName>, 3>& directories) {
    const char digit = model_digit(model_code);
    std::array<ReceiveCategory, kReceiveSlots> categories;
    for (std::size_t s = 0; s < kReceiveSlots; ++s) {
        categories[s].letter = kSlotLetters[s];
    }
    const auto add_codes = [&](int slot, const std::vector<std::uint16_t>& codes) {
        for (std::size_t i = 0; i < codes.size(); ++i) {
            categories[static_cast<std::size_t>(slot)].items.push_back(
                code_item(slot, static_cast<int>(i), codes[i], digit));
        }
    };
    const auto add_names = [&](int slot, const std::vector<ItemName>& names) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            ReceiveItem item;
            item.slot = slot;
            item.position = static_cast<int>(i);
            item.letter = kSlotLetters[static_cast<std::size_t>(slot)];
            item.form = RequestForm::named;
            item.request = names[i];
            item.line_text = received_file_name(
                std::string_view(reinterpret_cast<const char*>(names[i].data()), names[i].size()),
                digit, item.letter);
            categories[static_cast<std::size_t>(slot)].items.push_back(item);
        }
    };
    categories[0].items.push_back(single_item(0, "Backup", digit));
    add_codes(1, codes_of({{0x0D, 0x20, 0x29}}));
    std::vector<std::uint16_t> graph =
        codes_of({{0x0C, 0x10, 0x19}, {0x0C, 0x20, 0x2B}, {0x0C, 0x30, 0x35}, {0x0C, 0x40, 0x42}});
    if (model_code != 2 && model_code != 4) {
        graph.resize(22);
    }
    add_codes(2, graph);
    add_names(3, directories[0]);
    add_codes(4, codes_of({{0x0D, 0x10, 0x19}}));
    add_codes(5, codes_of({{0x08, 0x10, 0x15}}));
    add_codes(6, codes_of({{0x0D, 0x30, 0x39}}));
    add_codes(7, codes_of({{0x09, 0x10, 0x19}}));
    add_names(8, directories[1]);
    add_names(9, directories[2]);
    categories[10].items.push_back(single_item(10, "tblsetup", digit));
    categories[11].items.push_back(single_item(11, "winsetup", digit));
    categories[12].items.push_back(single_item(12, "variable", digit));
    categories[13].items.push_back(single_item(13, "zoom", digit));
    return categories;
}

std::vector<int> receive_slot_order(int model_code) {
    switch (model_code) {
        case 3:
            return {0, 1, 2, 4, 5, 6, 8, 10, 11, 12, 13};
        case 5:
            return {0, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13};
        default:
            return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    }
}

std::vector<ReceiveItem> receive_list(
    int model_code, const std::array<ReceiveCategory, kReceiveSlots>& categories) {
    std::vector<ReceiveItem> list;
    for (const int slot : receive_slot_order(model_code)) {
        const auto& items = categories[static_cast<std::size_t>(slot)].items;
        list.insert(list.end(), items.begin(), items.end());
    }
    return list;
}

}  // namespace travex::link
