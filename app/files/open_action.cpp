#include "files/open_action.h"

namespace travex {

namespace {
// A data file must be longer than its header plus the smallest empty body.
constexpr std::uint64_t kLargestEmptyDataFile = 62;
}  // namespace

OpenAction open_action(FileKind kind, std::uint64_t file_size) {
    switch (kind) {
        case FileKind::slide_show:
            return OpenAction::slide_show;
        case FileKind::picture:
        case FileKind::bitmap:
            return OpenAction::screen_image;
        case FileKind::list:
        case FileKind::list_database:
        case FileKind::matrix:
        case FileKind::table_setup:
        case FileKind::window_setup:
        case FileKind::data_variable:
        case FileKind::zoom:
            return file_size > kLargestEmptyDataFile ? OpenAction::editor
                                                     : OpenAction::refuse_no_data;
        case FileKind::program:
        case FileKind::text:
            return OpenAction::editor;
        case FileKind::none:
        case FileKind::screen_image:
            break;
    }
    return OpenAction::refuse_unreadable;
}

}  // namespace travex
