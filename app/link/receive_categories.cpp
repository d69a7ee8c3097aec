#include "link/receive_categories.h"

#include "files/model_table.h"
#include "files/received_item.h"

namespace travex::link {
namespace {

constexpr std::array<char, kReceiveSlots> kSlotLetters = {'b', 'd', 'y', 'e', 'i', 'l', 'n',
                                                          'm', 'p', 's', 't', 'w', 'v', 'z'};

const ReceivableType& receivable(int slot) {
    return kReceivableTypes[static_cast<std::size_t>(slot)];
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
    std::array<ReceiveCategory, kReceiveSlots> categories;
    for (int slot = 0; slot < static_cast<int>(kReceiveSlots); ++slot) {
        ReceiveCategory& category = categories[static_cast<std::size_t>(slot)];
        category.letter = kSlotLetters[static_cast<std::size_t>(slot)];
        const ReceivableType& type = receivable(slot);
        const auto add = [&](int position, RequestForm form, const ItemName& request,
                             const ItemName& calculator_name) {
            ReceiveItem item;
            item.slot = slot;
            item.position = position;
            item.letter = category.letter;
            item.form = form;
            item.request = request;
            item.line_text = received_item_file_name(type, position, calculator_name, model_code);
            category.items.push_back(item);
        };
        const ItemName blanks = spaces_item_name();
        switch (type.naming) {
            case ReceivableNaming::fixed_name:
                add(0, RequestForm::setup, blanks, blanks);
                break;
            case ReceivableNaming::variable_code: {
                const int count = receivable_item_count(type, model_code).value_or(0);
                for (int i = 0; i < count; ++i) {
                    const auto code = receivable_variable_code(type, i, model_code);
                    if (code) {
                        add(i, RequestForm::by_code, variable_code_item_name(*code), blanks);
                    }
                }
                break;
            }
            case ReceivableNaming::calculator_list: {
                const int list = slot == 3 ? 0 : slot == 8 ? 1 : 2;
                const auto& names = directories[static_cast<std::size_t>(list)];
                for (std::size_t i = 0; i < names.size(); ++i) {
                    add(static_cast<int>(i), RequestForm::named, names[i], names[i]);
                }
                break;
            }
        }
    }
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
