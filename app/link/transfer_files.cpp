#include "link/transfer_files.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace travex::link {
namespace {

constexpr std::array<FileType, 15> kFileTypes = {{
    {'b', "", 0x27, 0x67, "", HeaderName::spaces},
    {'g', "", 0x00, 0x00, "", HeaderName::none},
    {'d', "GDB        ", 0x22, 0x62, "", HeaderName::variable_code},
    {'y', "GRAPH EQU  ", 0x22, 0x62, "", HeaderName::variable_code},
    {'e', "SOLVE EQU  ", 0x22, 0x62, "", HeaderName::item_name},
    {'i', "PICT       ", 0x22, 0x62, "", HeaderName::variable_code},
    {'l', "MATRIX     ", 0x22, 0x62, "List file data", HeaderName::variable_code},
    {'n', "LISTDB     ", 0x22, 0x62, "List database file", HeaderName::variable_code},
    {'m', "MATRIX     ", 0x22, 0x62, "Matrix file data", HeaderName::variable_code},
    {'p', "PROGRAM    ", 0x22, 0x62, "", HeaderName::item_name},
    {'s', "ANIME      ", 0x22, 0x62, "Self-made slide show file data", HeaderName::item_name},
    {'t', "", 0x29, 0x69, "Table setup file data", HeaderName::spaces},
    {'w', "", 0x2B, 0x6B, "Window setup file data", HeaderName::spaces},
    {'v', "", 0x28, 0x68, "Data variable file data", HeaderName::spaces},
    {'z', "", 0x2A, 0x6B, "Zoom file data", HeaderName::spaces},
}};

// Two pieces joined by appending (operator+ on literals trips a false warning in some
// compilers).
std::string join(std::string_view a, std::string_view b) {
    std::string out;
    out.reserve(a.size() + b.size());
    out.append(a);
    out.append(b);
    return out;
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Bytes of the payload that come before the body, and bytes of the body left out.
struct PayloadShape {
    std::size_t name_bytes;  // header name bytes that lead the payload
    bool zero_after_name;    // programs: one 0x00 after the name
    std::size_t body_skip;   // body bytes replaced by the leading name bytes
};

PayloadShape shape_of(char letter) {
    switch (lower(letter)) {
        case 'p':
            return {11, true, 0};
        case 'e':
        case 's':
            return {11, false, 0};
        case 'd':
        case 'y':
        case 'i':
        case 'l':
        case 'n':
        case 'm':
            return {2, false, 2};
        default:
            return {0, false, 0};
    }
}

}  // namespace

std::optional<FileType> file_type(char letter) {
    const char l = lower(letter);
    for (const FileType& t : kFileTypes) {
        if (t.letter == l) {
            return t;
        }
    }
    return std::nullopt;
}

SendableFile file_for_sending(std::string_view path, const Bytes& image, int model_code) {
    SendableFile out;
    if (image.empty() || path.empty()) {
        out.result = file_result::kFailure;
        return out;
    }
    if (lower(static_cast<char>(image.size() > 1 ? image[1] : 0)) != lower(path.back())) {
        out.result = file_result::kLetterMismatch;
        return out;
    }
    if (image.size() < kFileHeaderLength) {
        out.result = file_result::kShorterThanHeader;
        return out;
    }
    const char letter = static_cast<char>(image[1]);
    const auto type = file_type(letter);
    if (!type || type->send_class == 0) {
        out.result = file_result::kNotTransferable;
        return out;
    }
    const PayloadShape shape = shape_of(letter);
    const std::size_t body_length = image.size() - kFileHeaderLength;
    if (body_length < shape.body_skip) {
        out.result = file_result::kTooShortForType;
        return out;
    }
    Bytes payload;
    payload.reserve(shape.name_bytes + 1 + body_length);
    payload.insert(payload.end(), image.begin() + 2,
                   image.begin() + 2 + static_cast<std::ptrdiff_t>(shape.name_bytes));
    if (shape.zero_after_name) {
        payload.push_back(0x00);
    }
    payload.insert(payload.end(),
                   image.begin() + static_cast<std::ptrdiff_t>(kFileHeaderLength + shape.body_skip),
                   image.end());
    if ((model_code == 2 || model_code == 3) && image[0] != '0' + model_code) {
        out.result = file_result::kWrongModel;
        return out;
    }
    out.result = file_result::kOk;
    out.payload = std::move(payload);
    std::copy_n(image.begin() + 2, kNameLength, out.item_name.begin());
    out.send_class = type->send_class;
    out.type_letter = lower(letter);
    return out;
}

SendableFile read_file_for_sending(FileSystem& fs, const std::string& path, int model_code) {
    const auto image = fs.read_file(path);
    if (!image) {
        return SendableFile{};
    }
    return file_for_sending(path, *image, model_code);
}

std::optional<Bytes> payload_of_image(const Bytes& image) {
    if (image.size() < kFileHeaderLength) {
        return std::nullopt;
    }
    std::string name = "x.";
    name.push_back(static_cast<char>(image[1]));
    SendableFile f = file_for_sending(name, image, 4);
    if (f.result != file_result::kOk) {
        return std::nullopt;
    }
    return std::move(f.payload);
}

Bytes build_received_file(std::string_view file_name, const Bytes& payload,
                          const ItemName& item_name, std::string_view title) {
    Bytes image(kFileHeaderLength, 0);
    if (file_name.size() >= 2) {
        image[0] = static_cast<std::uint8_t>(file_name[file_name.size() - 2]);
        image[1] = static_cast<std::uint8_t>(file_name[file_name.size() - 1]);
    }
    std::copy(item_name.begin(), item_name.end(), image.begin() + 2);
    for (std::size_t i = 0; i < title.size() && i < 40; ++i) {
        image[13 + i] = static_cast<std::uint8_t>(title[i]);
    }
    const bool program = !file_name.empty() && lower(file_name.back()) == 'p';
    const std::size_t skip = program && !payload.empty() ? 1 : 0;
    image.insert(image.end(), payload.begin() + static_cast<std::ptrdiff_t>(skip), payload.end());
    return image;
}

std::string received_file_name(std::string_view item_name, char model_digit, char type_letter) {
    std::string base;
    int kept = 0;
    for (std::size_t i = 0; i < item_name.size() && i < 11 && kept < 8; ++i) {
        const auto b = static_cast<std::uint8_t>(item_name[i]);
        if (b == 0xFF) {
            continue;
        }
        base.push_back(b == ' ' ? '_' : static_cast<char>(b));
        ++kept;
    }
    std::string name = base;
    name.append(".g");
    name.push_back(model_digit);
    name.push_back(type_letter);
    for (char& c : name) {
        c = lower(c);
    }
    return name;
}

std::string variable_code_name(std::uint16_t code) {
    const int prefix = code >> 8;
    const int index = code & 0xFF;
    static constexpr std::array<std::string_view, 10> kDigits = {"1", "2", "3", "4", "5",
                                                                 "6", "7", "8", "9", "0"};
    if (prefix == 0x08 && index >= 0x10 && index <= 0x15) {
        return join("L", std::to_string(index - 0x0F));
    }
    if (prefix == 0x09 && index >= 0x10 && index <= 0x19) {
        return join("mat ", std::string(1, static_cast<char>('A' + index - 0x10)));
    }
    if (prefix == 0x0C) {
        static constexpr std::array<std::string_view, 12> kParametric = {
            "X1T", "Y1T", "X2T", "Y2T", "X3T", "Y3T", "X4T", "Y4T", "X5T", "Y5T", "X6T", "Y6T"};
        if (index >= 0x10 && index <= 0x19) {
            return join("Y", kDigits[static_cast<std::size_t>(index - 0x10)]);
        }
        if (index >= 0x20 && index <= 0x2B) {
            return std::string(kParametric[static_cast<std::size_t>(index - 0x20)]);
        }
        if (index >= 0x30 && index <= 0x35) {
            return join("R", std::to_string(index - 0x2F));
        }
        if (index >= 0x40 && index <= 0x42) {
            // u(n), v(n), w(n): the file name keeps the letter only.
            return std::string(1, static_cast<char>('u' + index - 0x40));
        }
    }
    if (prefix == 0x0D && index >= 0x10 && index <= 0x39) {
        static constexpr std::array<std::string_view, 3> kStems = {"Pict", "G_Data", "L_Data"};
        const int group = (index - 0x10) / 0x10;
        const int n = (index - 0x10) % 0x10;
        if (n < 10) {
            return join(kStems[static_cast<std::size_t>(group)],
                        kDigits[static_cast<std::size_t>(n)]);
        }
    }
    return "";
}

}  // namespace travex::link
