#include "files/model_table.h"

namespace travex {

const ModelInfo* find_model(int model_code) {
    for (const ModelInfo& model : kModels) {
        if (model.code == model_code) {
            return &model;
        }
    }
    return nullptr;
}

const ModelInfo& running_model() {
    return *find_model(kRunningModelCode);
}

char running_model_digit() {
    return running_model().own_digit;
}

int model_family_of_digit(char digit) {
    switch (digit) {
        case '2':
            return 2;
        case '3':
            return 3;
        case '4':
        case '6':
            return 4;
        case '5':
            return 5;
        default:
            return 0;
    }
}

char header_digit_of_model(int model_code) {
    return static_cast<char>('0' + model_code);
}

std::optional<LinkIdentity> link_identity(int model_code) {
    if (model_code == 4 || model_code == 6) {
        return LinkIdentity{"75", '6'};
    }
    const ModelInfo* model = find_model(model_code);
    if (model == nullptr) {
        return std::nullopt;
    }
    return LinkIdentity{model->identifier, model->own_digit};
}

const ReceivableType* find_receivable_type(char letter) {
    const char wanted =
        (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
    for (const ReceivableType& type : kReceivableTypes) {
        if (type.letter == wanted) {
            return &type;
        }
    }
    return nullptr;
}

std::vector<const ReceivableType*> receivable_types_of_model(int model_code) {
    std::vector<const ReceivableType*> types;
    const ModelInfo* model = find_model(model_code);
    if (model == nullptr) {
        return types;
    }
    for (char letter : model->receive_types) {
        types.push_back(find_receivable_type(letter));
    }
    return types;
}

std::string receivable_type_code(const ReceivableType& type, char model_digit) {
    return std::string{'G', model_digit, type.letter};
}

int graph_equation_count(int model_code) {
    return (model_code == 2 || model_code == 4) ? 31 : 22;
}

std::optional<int> receivable_item_count(const ReceivableType& type, int model_code) {
    switch (type.naming) {
        case ReceivableNaming::fixed_name:
            return 1;
        case ReceivableNaming::calculator_list:
            return std::nullopt;
        case ReceivableNaming::variable_code:
            break;
    }
    if (type.letter == 'Y') {
        return graph_equation_count(model_code);
    }
    int count = 0;
    for (const VariableCodeRange& range : type.code_ranges) {
        count += range.count();
    }
    return count;
}

std::optional<std::uint16_t> receivable_variable_code(const ReceivableType& type, int index,
                                                      int model_code) {
    if (type.naming != ReceivableNaming::variable_code || index < 0 ||
        index >= *receivable_item_count(type, model_code)) {
        return std::nullopt;
    }
    for (const VariableCodeRange& range : type.code_ranges) {
        if (index < range.count()) {
            return static_cast<std::uint16_t>(range.first + index);
        }
        index -= range.count();
    }
    return std::nullopt;
}

}  // namespace travex
