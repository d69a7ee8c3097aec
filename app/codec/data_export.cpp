#include "codec/data_export.h"

#include <array>
#include <string_view>

#include "base/le_bytes.h"
#include "codec/data_layout.h"
#include "codec/number_format.h"
#include "codec/text_limits.h"
#include "codec/token_tables.h"

namespace travex {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
using namespace data_layout;

// A further list is read only while the body still holds its header up to the variable code.
constexpr std::size_t kDatabaseMinListBytes = 10;

constexpr std::size_t kDataVariableBytes = 2 * kNumberBytes;

// The 9-byte number at offset, when it lies wholly within the body.
std::optional<NumberBytes> number_at(DataBody body, std::uint64_t offset) {
    if (offset > body.size() || body.size() - offset < kNumberBytes) {
        return std::nullopt;
    }
    return NumberBytes(body.subspan(static_cast<std::size_t>(offset), kNumberBytes));
}

// A 16-bit field, or 0 when it lies beyond the body.
std::uint16_t field_at(DataBody body, std::size_t offset) {
    return offset + 2 <= body.size() ? read_u16le(body, offset) : 0;
}

void append_line(std::string& out, std::string_view line) {
    out += line;
    out += kLineEnd;
}

void append_heading(std::string& out, std::string_view heading) {
    append_line(out, heading);
    out += kLineEnd;
}

// ";" and the name of the variable code stored (index byte first) at offset.
void append_name_heading(std::string& out, DataBody body, std::size_t offset) {
    std::string heading = ";";
    if (offset + 2 <= body.size()) {
        heading += variable_name(read_u16le(body, offset));
    }
    append_heading(out, heading);
}

// A value standing alone: a dropped zero first part still shows as 0.
void append_lone_value(std::string& out, NumberBytes number) {
    std::string text;
    if ((format_number(number, text, 0) & kNumberZeroDropped) != 0 && text.empty()) {
        text.push_back('0');
    }
    out += text;
}

// Both parts of a pair; "0" when neither has text.
void append_pair_value(std::string& out, NumberBytes first, NumberBytes second) {
    std::string text;
    const std::uint8_t flags = format_number(first, text, 0);
    format_number(second, text, second_part_mode(flags));
    out += text.empty() ? std::string("0") : text;
}

// The element lines of a list whose elements start at offset. Returns the offset after the
// last element, or nullopt when the export ended at a value beyond the body.
std::optional<std::uint64_t> append_list_elements(std::string& out, DataBody body,
                                                  std::uint64_t offset, std::uint16_t count,
                                                  bool complex) {
    for (std::uint16_t i = 0; i < count; ++i) {
        const auto first = number_at(body, offset);
        if (!first) {
            return std::nullopt;
        }
        std::string line;
        if (complex) {
            const std::uint8_t flags = format_number(*first, line, 0);
            if (has_second_part(flags)) {
                const auto second = number_at(body, offset + kNumberBytes);
                if (!second) {
                    return std::nullopt;
                }
                format_number(*second, line, flags);
                if (line.empty()) {
                    line.push_back('0');
                }
            }
            offset += 2 * kNumberBytes;
        } else {
            append_lone_value(line, *first);
            offset += kNumberBytes;
        }
        append_line(out, line);
    }
    return offset;
}

struct SetupLine {
    std::string_view name;  // as stored, with its trailing space where it has one
    int slot;               // -1 for an empty line
};

constexpr std::array<SetupLine, 19> kWindowSetupLines = {{
    {"Xmin ", 0},  {"Xmax ", 1},  {"Xscl ", 2},      {"Ymin ", 3},      {"Ymax ", 4},
    {"Yscl ", 5},  {"", -1},      {"Thetamin ", 22}, {"Thetamax ", 23}, {"Thetastep", 24},
    {"", -1},      {"Tmin ", 16}, {"Tmax ", 17},     {"Tstep", 18},     {"", -1},
    {"nMin ", 28}, {"nMax ", 29}, {"PlotStart", 30}, {"PlotStep ", 31},
}};

constexpr std::array<SetupLine, 19> kZoomLines = {{
    {"ZXmin ", 10}, {"ZXmax ", 11}, {"ZXscl ", 12},     {"ZYmin ", 13},     {"ZYmax ", 14},
    {"ZYscl ", 15}, {"", -1},       {"ZThetamin ", 25}, {"ZThetamax ", 26}, {"ZThetastep", 27},
    {"", -1},       {"ZTmin ", 19}, {"ZTmax ", 20},     {"ZTstep", 21},     {"", -1},
    {"ZnMin ", 32}, {"ZnMax ", 33}, {"ZPlotStart", 34}, {"ZPlotStep ", 35},
}};

std::string export_window_block(DataBody body, std::string_view heading,
                                std::span<const SetupLine> lines) {
    std::string out;
    append_heading(out, heading);
    for (const SetupLine& line : lines) {
        if (line.slot < 0) {
            out += kLineEnd;
            continue;
        }
        const auto value = number_at(body, static_cast<std::uint64_t>(line.slot) * kNumberBytes);
        if (!value) {
            break;
        }
        std::string text(line.name);
        text += "  ";
        append_lone_value(text, *value);
        append_line(out, text);
    }
    return out;
}

constexpr std::array<std::string_view, 27> kDataVariableNames = {
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",     "N",
    "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "Theta",
};

}  // namespace

std::string export_list(DataBody body) {
    std::string out;
    append_name_heading(out, body, 0);
    append_list_elements(out, body, kElementsAt, field_at(body, kListCountAt),
                         field_at(body, kListKindAt) == kComplexListKind);
    return out;
}

std::string export_list_database(DataBody body) {
    std::string out;
    append_name_heading(out, body, 0);
    std::uint64_t offset = kDatabaseListsAt;
    for (std::size_t list = 0; list < kDatabaseMaxLists; ++list) {
        if (offset > body.size() || body.size() - offset < kDatabaseMinListBytes) {
            break;
        }
        const auto at = static_cast<std::size_t>(offset);
        append_name_heading(out, body, at + kListHeaderCodeAt);
        const auto next = append_list_elements(
            out, body, offset + kListHeaderBytes, field_at(body, at + kListHeaderCountAt),
            field_at(body, at + kListHeaderKindAt) == kComplexListKind);
        if (!next) {
            break;
        }
        out += kLineEnd;
        offset = *next;
    }
    return out;
}

std::string export_matrix(DataBody body) {
    std::string out;
    append_name_heading(out, body, 0);
    const std::uint64_t columns = field_at(body, kMatrixColumnsAt);
    const std::uint64_t rows = field_at(body, kMatrixRowsAt);
    for (std::uint64_t row = 0; row < rows; ++row) {
        std::string line;
        for (std::uint64_t column = 0; column < columns; ++column) {
            // Elements are stored column after column.
            const auto value = number_at(body, kElementsAt + kNumberBytes * (row + column * rows));
            if (!value) {
                if (!line.empty()) {
                    append_line(out, line);
                }
                return out;
            }
            append_lone_value(line, *value);
            line += ' ';
        }
        append_line(out, line);
    }
    return out;
}

std::string export_table_setup(DataBody body) {
    std::string out;
    append_heading(out, ";TABLE SETUP");
    constexpr std::array<std::string_view, 2> kNames = {"TblStart   ", "DeltaTbl   "};
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        const auto value = number_at(body, i * kNumberBytes);
        if (!value) {
            break;
        }
        std::string line(kNames[i]);
        append_lone_value(line, *value);
        append_line(out, line);
    }
    return out;
}

std::string export_window_setup(DataBody body) {
    return export_window_block(body, ";WINDOW SETUP", kWindowSetupLines);
}

std::string export_zoom(DataBody body) {
    return export_window_block(body, ";ZOOM", kZoomLines);
}

std::string export_data_variable(DataBody body) {
    std::string out;
    append_heading(out, ";VARIABLE");
    for (std::size_t i = 0; i < kDataVariableNames.size(); ++i) {
        const std::uint64_t offset = i * kDataVariableBytes;
        const auto first = number_at(body, offset);
        const auto second = number_at(body, offset + kNumberBytes);
        if (!first || !second) {
            break;
        }
        std::string line(kDataVariableNames[i]);
        line += "   ";
        append_pair_value(line, *first, *second);
        append_line(out, line);
    }
    return out;
}

std::string export_data(DataType type, DataBody body) {
    switch (type) {
        case DataType::list:
            return export_list(body);
        case DataType::list_database:
            return export_list_database(body);
        case DataType::matrix:
            return export_matrix(body);
        case DataType::table_setup:
            return export_table_setup(body);
        case DataType::window_setup:
            return export_window_setup(body);
        case DataType::data_variable:
            return export_data_variable(body);
        case DataType::zoom:
            return export_zoom(body);
    }
    return {};
}

std::optional<std::string> export_data_checked(DataType type, DataBody body) {
    std::string text = export_data(type, body);
    if (text.size() > kMaxConvertedText) {
        return std::nullopt;
    }
    return text;
}

}  // namespace travex
