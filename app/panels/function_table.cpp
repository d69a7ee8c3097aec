#include "panels/function_table.h"

#include "resources/resource_ids.h"

#include <algorithm>

#include "codec/charset.h"
#include "resources/resource_text.h"
#include "resources/string_table.h"

namespace travex {
namespace {

constexpr FunctionGroup kGroups[] = {
    {1, IDM_FUNC_KEY_PAD, 1},
    {2, IDM_FUNC_CALC, 2},
    {3, IDM_FUNC_DRAW, 2},
    {4, IDM_FUNC_FINANCE, 2},
    {5, IDM_FUNC_LIST, 2},
    {6, IDM_FUNC_MATH, 2},
    {7, IDM_FUNC_MATRIX, 2},
    {8, IDM_FUNC_PROG_COM, 2},
    {9, IDM_FUNC_STAT, 2},
    {11, IDM_FUNC_STAT_GRAPH, 2},
    {12, IDM_FUNC_VAR, 2},
    {13, IDM_FUNC_EQ_VAR, 2},
    {14, IDM_FUNC_STAT_VAR, 2},
    {15, IDM_FUNC_ZOOM_VAR, 2},
    {16, IDM_FUNC_WIN_VAR, 2},
    {17, IDM_FUNC_ZOOM, 2},
    {20, 0, 2},
    {21, 0, 3},
    {23, IDM_FUNC_CATALOG, 2},
};

constexpr int kHiddenIds[] = {2005, 6110, 11500, 25305};

// The VARS group's first column: three groups, the four headings of VAR, and STAT VAR.
constexpr int kVarsItems[] = {13, 16, 15, 12000, 12100, 12200, 12300, 14};

// Bytes 1-27 of a listed text stand for these calculator bytes (0: the text ends).
constexpr std::uint8_t kByteMap[28] = {
    0x00, 0x83, 0x84, 0x85, 0x8C, 0x91, 0x92, 0x93, 0x00, 0x00, 0x00, 0x94, 0x00, 0x00,
    0x95, 0x96, 0x97, 0x93, 0x98, 0x94, 0x99, 0x9A, 0x9B, 0x9C, 0x00, 0x9F, 0x00, 0xF9,
};

constexpr int kStatGraph = 11;
constexpr int kStatPlot = 20;
constexpr int kProgCom = 8;
constexpr int kVars = 21;
constexpr int kMaxEntries = 52;
constexpr std::size_t kLoadedLimit = 29;

bool has_text(int id) {
    return id > 0 && id <= 0xFFFF && string_text(static_cast<std::uint16_t>(id)).has_value();
}

// Ids in order; hidden ids are passed over and the first id without a text ends the list.
template <typename IdOf>
std::vector<FunctionItem> list_until_missing(int count, IdOf id_of) {
    std::vector<FunctionItem> items;
    for (int i = 0; i < count; ++i) {
        const int id = id_of(i);
        if (is_hidden_function_id(id)) {
            continue;
        }
        if (!has_text(id)) {
            break;
        }
        items.push_back({static_cast<std::uint16_t>(id), id});
    }
    return items;
}

std::vector<FunctionItem> headings(int group, int count) {
    return list_until_missing(count, [group](int h) { return group * 1000 + h * 100; });
}

std::vector<FunctionItem> entries(int group, int heading) {
    return list_until_missing(kMaxEntries,
                              [=](int e) { return group * 1000 + heading * 100 + e + 1; });
}

}  // namespace

std::span<const FunctionGroup> function_groups() {
    return kGroups;
}

std::optional<FunctionGroup> find_function_group(int group) {
    for (const FunctionGroup& g : kGroups) {
        if (g.group == group) {
            return g;
        }
    }
    return std::nullopt;
}

int function_window_width(int group) {
    if (group == 1) {
        return 164;
    }
    return group == kVars ? 468 : 316;
}

bool is_hidden_function_id(int id) {
    return std::find(std::begin(kHiddenIds), std::end(kHiddenIds), id) != std::end(kHiddenIds);
}

std::vector<FunctionItem> first_column(int group) {
    switch (group) {
        case 1:
            return entries(1, 0);
        case 4:
        case 7:
        case 23:
            return headings(group, 27);
        case kStatPlot:
            return headings(kStatGraph, 10);
        case kVars: {
            std::vector<FunctionItem> items;
            for (const int v : kVarsItems) {
                items.push_back({static_cast<std::uint16_t>(v), v});
            }
            return items;
        }
        default:
            break;
    }
    auto items = headings(group, 10);
    if (group == kProgCom) {
        for (FunctionItem& item : items) {
            if (item.value == 8400) {
                item.text_id = 8450;  // COORD is shown as SETUP
            }
        }
    }
    return items;
}

std::vector<FunctionItem> second_column(int group, int position) {
    if (group == 1 || position < 0) {
        return {};
    }
    if (group == kVars) {
        const auto items = first_column(kVars);
        if (position >= static_cast<int>(items.size()) || items[position].value > 100) {
            return {};
        }
        return headings(items[position].value, 10);
    }
    int heading = position;
    if ((group == kStatGraph || group == kStatPlot) && heading > 4) {
        ++heading;  // the hidden MBOX heading
    }
    return entries(group == kStatPlot ? kStatGraph : group, heading);
}

std::vector<FunctionItem> third_column(int vars_position, int heading_position) {
    const auto items = first_column(kVars);
    if (vars_position < 0 || vars_position >= static_cast<int>(items.size())) {
        return {};
    }
    const int v = items[vars_position].value;
    if (v > 100) {
        return entries(v / 1000, (v % 1000) / 100);
    }
    if (heading_position < 0) {
        return {};
    }
    return entries(v, heading_position);
}

std::string apply_byte_map(std::string_view loaded) {
    std::string shown;
    for (const char c : loaded) {
        auto byte = static_cast<std::uint8_t>(c);
        if (byte == 0) {
            break;
        }
        if (byte <= 27) {
            byte = kByteMap[byte];
            if (byte == 0) {
                break;
            }
        }
        shown.push_back(static_cast<char>(byte));
    }
    return shown;
}

std::string function_text(std::uint16_t text_id) {
    const auto stored = string_text(text_id);
    if (!stored) {
        return {};
    }
    const auto loaded = load_calculator_text(resource_form(*stored));
    if (!loaded) {
        return {};
    }
    return apply_byte_map(std::string_view(*loaded).substr(0, kLoadedLimit));
}

}  // namespace travex
