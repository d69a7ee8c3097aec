#include "link/transfer_files.h"

#include <cctype>

#include "files/file_types.h"

namespace travex::link {

std::optional<FileType> file_type(char letter) {
    const travex::FileType* type = find_file_type(letter);
    if (type == nullptr) {
        return std::nullopt;
    }
    return FileType{type->letter, type->type_name, type->send_class, type->receive_request,
                    type->default_title};
}

SendableFile read_file_for_sending(FileSystem& fs, const std::string& path, int model_code) {
    travex::SendableFile read = travex::read_file_for_sending(fs, path, model_code);
    SendableFile out;
    out.result = read.result;
    out.send_class = read.send_class;
    out.payload = std::move(read.payload);
    out.item_name = read.item_name.value_or(spaces_item_name());
    out.type_letter =
        path.empty() ? 0 : static_cast<char>(std::tolower(static_cast<unsigned char>(path.back())));
    return out;
}

std::optional<Bytes> payload_of_image(const Bytes& image) {
    if (image.size() < kFileHeaderLength) {
        return std::nullopt;
    }
    return payload_from_file(image, static_cast<char>(image[1]));
}

}  // namespace travex::link
