#include "print/print_layout.h"

namespace travex::print {

PrintLayout program_layout(ProgramDocument document) {
    auto kept = std::make_shared<ProgramDocument>(std::move(document));
    return {[](const PageDescription&) { return true; },
            [kept](PrintSurface& surface, const PageDescription& page) {
                return print_program(surface, page, *kept);
            }};
}

PrintLayout picture_layout(std::string path, Bytes framed_pixels, int framed_width,
                           int framed_height, int zoom_index, std::string variable_name) {
    struct Kept {
        Bytes pixels;
        PictureDocument document;
    };
    auto kept = std::make_shared<Kept>();
    kept->pixels = std::move(framed_pixels);
    kept->document = {std::move(path), MonoBitmap{framed_width, framed_height, kept->pixels},
                      zoom_index, std::move(variable_name)};
    return {[kept](const PageDescription& page) {
                return picture_scale(page, kept->document.framed.width - 2,
                                     kept->document.framed.height - 2, kept->document.zoom_index)
                    .has_value();
            },
            [kept](PrintSurface& surface, const PageDescription& page) {
                return print_picture(surface, page, kept->document);
            }};
}

PrintLayout slides_layout(std::string path, std::string title, std::vector<SlidePicture> slides,
                          int grid_slide_width) {
    struct Kept {
        std::vector<SlidePicture> pictures;
        SlideShowDocument document;
    };
    auto kept = std::make_shared<Kept>();
    kept->pictures = std::move(slides);
    kept->document.path = std::move(path);
    kept->document.title = std::move(title);
    kept->document.grid_slide_width = grid_slide_width;
    for (const SlidePicture& slide : kept->pictures) {
        kept->document.slides.push_back(
            {slide.number, MonoBitmap{slide.width, slide.height, slide.rows}});
    }
    return {[kept](const PageDescription& page) {
                return slide_grid(page, kept->document.grid_slide_width).has_value();
            },
            [kept](PrintSurface& surface, const PageDescription& page) {
                return print_slides(surface, page, kept->document);
            }};
}

}  // namespace travex::print
