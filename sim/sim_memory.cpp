#include "sim/sim_memory.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "base/input_caps.h"
#include "link/transfer_files.h"

namespace travex::sim {
namespace {

std::string key(const ItemName& category) {
    std::string k(category.begin(), category.end());
    for (char& c : k) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return k;
}

}  // namespace

bool named_category(const ItemName& category) {
    const std::string k = key(category);
    return k == "SOLVE EQU  " || k == "PROGRAM    " || k == "ANIME      ";
}

Bytes default_screen() {
    Bytes screen(link::kScreenBytes);
    for (std::size_t i = 0; i < screen.size(); ++i) {
        screen[i] = static_cast<std::uint8_t>((i * 37 + i / 132) & 0xFF);
    }
    return screen;
}

CalculatorMemory::CalculatorMemory() : screen_(default_screen()) {
    // A calculator always has its setup blocks; these stand for its factory settings.
    const auto pattern = [](std::size_t size, std::uint8_t seed) {
        Bytes block(size);
        for (std::size_t i = 0; i < size; ++i) {
            block[i] = static_cast<std::uint8_t>(seed + i * 7);
        }
        return block;
    };
    put_setup(0x27, pattern(2048, 0x11));                     // backup
    put_setup(0x28, pattern(28 * 9, 0x22));                   // data variables
    put_setup(0x29, pattern(4 * 9, 0x33));                    // table setup
    put_setup(0x2B, pattern(kWindowSetupRecords * 9, 0x44));  // window setup and zoom
}

bool CalculatorMemory::store_sent_item(const ItemName& category, const Bytes& payload) {
    if (named_category(category)) {
        if (payload.size() < link::kNameLength) {
            return false;
        }
        ItemName name;
        std::copy_n(payload.begin(), link::kNameLength, name.begin());
        put_named(
            category, name,
            Bytes(payload.begin() + static_cast<std::ptrdiff_t>(link::kNameLength), payload.end()));
        return true;
    }
    if (payload.size() < 2) {
        return false;
    }
    put_code(category, {payload[0], payload[1]}, payload);
    return true;
}

void CalculatorMemory::put_named(const ItemName& category, const ItemName& name,
                                 Bytes reply_payload) {
    auto& list = named_[key(category)];
    for (Named& entry : list) {
        if (link::names_equal(entry.name, name)) {
            entry.payload = std::move(reply_payload);
            return;
        }
    }
    list.push_back({name, std::move(reply_payload)});
}

void CalculatorMemory::put_code(const ItemName& category, VariableCode code, Bytes payload) {
    by_code_[{key(category), code}] = std::move(payload);
}

const Bytes* CalculatorMemory::find_item(const ItemName& category,
                                         const ItemName& requested) const {
    if (named_category(category)) {
        const auto it = named_.find(key(category));
        if (it == named_.end()) {
            return nullptr;
        }
        for (const Named& entry : it->second) {
            if (link::names_equal(entry.name, requested)) {
                return &entry.payload;
            }
        }
        return nullptr;
    }
    const auto it = by_code_.find({key(category), {requested[0], requested[1]}});
    return it == by_code_.end() ? nullptr : &it->second;
}

const Bytes* CalculatorMemory::find_setup(std::uint8_t code) const {
    const auto it = setup_.find(code);
    return it == setup_.end() ? nullptr : &it->second;
}

std::vector<ItemName> CalculatorMemory::directory(const ItemName& category) const {
    std::vector<ItemName> names;
    const auto it = named_.find(key(category));
    if (it != named_.end()) {
        for (const Named& entry : it->second) {
            names.push_back(entry.name);
        }
    }
    return names;
}

std::size_t CalculatorMemory::item_count() const {
    std::size_t n = by_code_.size() + setup_.size();
    for (const auto& [k, list] : named_) {
        n += list.size();
    }
    return n;
}

std::size_t CalculatorMemory::used_bytes() const {
    std::size_t n = 0;
    for (const auto& [k, list] : named_) {
        for (const Named& entry : list) {
            n += entry.payload.size();
        }
    }
    for (const auto& [k, payload] : by_code_) {
        n += payload.size();
    }
    return n;
}

bool CalculatorMemory::load_file_image(const Bytes& image) {
    if (image.size() < link::kFileHeaderLength) {
        return false;
    }
    const auto type = link::file_type(static_cast<char>(image[1]));
    const auto payload = link::payload_of_image(image);
    if (!type || type->send_class == 0 || !payload) {
        return false;
    }
    if (type->send_class == 0x22) {
        return store_sent_item(link::make_name(type->category), *payload);
    }
    // Zoom and window setup files both hold the whole window-setup block.
    const std::uint8_t code = type->send_class == 0x2A ? 0x2B : type->send_class;
    put_setup(code, *payload);
    return true;
}

int CalculatorMemory::load_folder(const std::string& folder, FileSystem& fs) {
    std::error_code ec;
    std::vector<std::filesystem::path> paths;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) {
        return -1;
    }
    for (const auto& entry : it) {
        if (entry.is_regular_file(ec)) {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    int loaded = 0;
    for (const auto& path : paths) {
        // Only calculator files: ".g" + digit + the type letter that the header carries too, so
        // that a text file beside them is never taken for an item.
        const std::string extension = path.extension().string();
        if (extension.size() != 4 || (extension[1] != 'g' && extension[1] != 'G')) {
            continue;
        }
        const auto image = fs.read_file_capped(path.string(), kMaxCalculatorFileBytes).bytes;
        if (!image || image->size() < 2 ||
            std::tolower(static_cast<unsigned char>(extension[3])) !=
                std::tolower(static_cast<int>((*image)[1]))) {
            continue;
        }
        if (load_file_image(*image)) {
            ++loaded;
        }
    }
    return loaded;
}

}  // namespace travex::sim
