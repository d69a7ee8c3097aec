// The PDF surface: cairo's PDF backend with the calculator font loaded through FreeType. The
// font is a symbol font (every byte b reachable at b in its symbol character map), so each byte
// of calculator text is drawn as the glyph the font maps to it, and the PDF's text layer gets
// the byte itself for printable ASCII and U+F000 + b for the calculator glyphs.
#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "print/pdf_surface.h"

namespace travex::print {
namespace {

constexpr double kPointsPerInch = 72.0;

struct CairoDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
    void operator()(cairo_font_face_t* f) const { cairo_font_face_destroy(f); }
    void operator()(cairo_scaled_font_t* f) const { cairo_scaled_font_destroy(f); }
    void operator()(cairo_font_options_t* o) const { cairo_font_options_destroy(o); }
};
template <typename T>
using CairoPtr = std::unique_ptr<T, CairoDeleter>;

// FreeType's library and face live as long as the cairo font face that uses them.
struct FreeTypeFont {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeFont() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
};

const cairo_user_data_key_t kFontOwnerKey{};

void release_font_owner(void* owner) {
    delete static_cast<FreeTypeFont*>(owner);  // NOLINT: handed over to cairo below
}

cairo_status_t append_to(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<Bytes*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// One font of the page at a pixel size: its glyph for every byte, advances and the "A" height.
struct SizedFont {
    CairoPtr<cairo_scaled_font_t> scaled;
    std::array<unsigned long, 256> glyph{};
    std::array<int, 256> advance{};
    double ascent = 0;
    int height = 0;
};

class PdfSurface : public PrintSurface {
public:
    PdfSurface(cairo_t* cr, SizedFont& header, SizedFont& body)
        : cr_(cr), header_(header), body_(body) {}

    int line_height(PrintFont font) override { return sized(font).height; }
    int text_width(PrintFont font, std::string_view text) override {
        const SizedFont& f = sized(font);
        int width = 0;
        for (const char c : text) {
            width += f.advance[static_cast<std::uint8_t>(c)];
        }
        return width;
    }
    void start_page() override {}
    void end_page() override {
        cairo_show_page(cr_);
        ++pages_;
    }
    void text(PrintFont font, int x, int y, std::string_view text) override {
        const SizedFont& f = sized(font);
        std::vector<cairo_glyph_t> glyphs;
        std::vector<cairo_text_cluster_t> clusters;
        std::string utf8;
        double pen = x;
        for (const char c : text) {
            const auto byte = static_cast<std::uint8_t>(c);
            glyphs.push_back({f.glyph[byte], pen, y + f.ascent});
            pen += f.advance[byte];
            const std::size_t before = utf8.size();
            append_utf8(utf8, byte >= 0x20 && byte < 0x7F ? byte : 0xF000u + byte);
            clusters.push_back({static_cast<int>(utf8.size() - before), 1});
        }
        cairo_set_scaled_font(cr_, f.scaled.get());
        cairo_set_source_rgb(cr_, 0, 0, 0);
        cairo_show_text_glyphs(cr_, utf8.data(), static_cast<int>(utf8.size()), glyphs.data(),
                               static_cast<int>(glyphs.size()), clusters.data(),
                               static_cast<int>(clusters.size()),
                               static_cast<cairo_text_cluster_flags_t>(0));
    }
    void line(int x0, int y0, int x1, int y1) override {
        cairo_set_source_rgb(cr_, 0, 0, 0);
        cairo_set_line_width(cr_, 1);
        cairo_move_to(cr_, x0 + 0.5, y0 + 0.5);
        cairo_line_to(cr_, x1 + 0.5, y1 + 0.5);
        cairo_stroke(cr_);
    }
    void rectangle(int left, int top, int right, int bottom) override {
        if (right - left < 1 || bottom - top < 1) {
            return;
        }
        cairo_set_source_rgb(cr_, 0, 0, 0);
        cairo_set_line_width(cr_, 1);
        cairo_rectangle(cr_, left + 0.5, top + 0.5, right - left - 1, bottom - top - 1);
        cairo_stroke(cr_);
    }
    void bitmap(const MonoBitmap& picture, int sx, int sy, int sw, int sh, int x, int y, int w,
                int h) override {
        if (sw <= 0 || sh <= 0 || w <= 0 || h <= 0) {
            return;
        }
        CairoPtr<cairo_surface_t> image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, sw, sh));
        cairo_surface_flush(image.get());
        unsigned char* data = cairo_image_surface_get_data(image.get());
        const int stride = cairo_image_surface_get_stride(image.get());
        for (int row = 0; row < sh; ++row) {
            auto* pixels = reinterpret_cast<std::uint32_t*>(data + row * stride);
            for (int column = 0; column < sw; ++column) {
                pixels[column] = picture.dark(sx + column, sy + row) ? 0x000000u : 0xFFFFFFu;
            }
        }
        cairo_surface_mark_dirty(image.get());
        cairo_save(cr_);
        cairo_translate(cr_, x, y);
        cairo_scale(cr_, static_cast<double>(w) / sw, static_cast<double>(h) / sh);
        cairo_set_source_surface(cr_, image.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
        cairo_rectangle(cr_, 0, 0, sw, sh);
        cairo_fill(cr_);
        cairo_restore(cr_);
    }

    int pages() const { return pages_; }

private:
    static void append_utf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    SizedFont& sized(PrintFont font) { return font == PrintFont::header ? header_ : body_; }

    cairo_t* cr_;
    SizedFont& header_;
    SizedFont& body_;
    int pages_ = 0;
};

// The calculator font at a pixel size (the em height, as a printer font of negative height).
bool size_font(cairo_font_face_t* face, FT_Face ft, double pixels, SizedFont& out) {
    cairo_matrix_t font_matrix;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&font_matrix, pixels, pixels);
    cairo_matrix_init_identity(&identity);
    CairoPtr<cairo_font_options_t> options(cairo_font_options_create());
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    out.scaled.reset(cairo_scaled_font_create(face, &font_matrix, &identity, options.get()));
    if (cairo_scaled_font_status(out.scaled.get()) != CAIRO_STATUS_SUCCESS) {
        return false;
    }
    cairo_font_extents_t extents;
    cairo_scaled_font_extents(out.scaled.get(), &extents);
    out.ascent = std::round(extents.ascent);
    out.height = static_cast<int>(std::lround(extents.ascent + extents.descent));
    for (unsigned b = 0; b < 256; ++b) {
        unsigned long glyph = FT_Get_Char_Index(ft, b);
        if (glyph == 0) {
            glyph = FT_Get_Char_Index(ft, 0xF000 + b);
        }
        out.glyph[b] = glyph;
        cairo_glyph_t one{glyph, 0, 0};
        cairo_text_extents_t text_extents;
        cairo_scaled_font_glyph_extents(out.scaled.get(), &one, 1, &text_extents);
        out.advance[b] = static_cast<int>(std::lround(text_extents.x_advance));
    }
    return true;
}

}  // namespace

PdfResult render_pdf(Paper paper, const std::string& font_path,
                     const std::function<bool(PrintSurface&, const PageDescription&)>& layout) {
    auto owner = std::make_unique<FreeTypeFont>();
    if (FT_Init_FreeType(&owner->library) != 0 ||
        FT_New_Face(owner->library, font_path.c_str(), 0, &owner->face) != 0) {
        return {std::nullopt, "the calculator font " + font_path + " cannot be loaded"};
    }
    FT_Select_Charmap(owner->face, FT_ENCODING_MS_SYMBOL);
    FT_Face ft = owner->face;
    CairoPtr<cairo_font_face_t> face(cairo_ft_font_face_create_for_ft_face(ft, 0));
    if (cairo_font_face_set_user_data(face.get(), &kFontOwnerKey, owner.get(),
                                      &release_font_owner) != CAIRO_STATUS_SUCCESS) {
        return {std::nullopt, "the calculator font cannot be used"};
    }
    owner.release();  // NOLINT: the font face owns it now

    const PageDescription page = pdf_page(paper);
    Bytes pdf;
    const double points_per_pixel = kPointsPerInch / kPdfResolution;
    CairoPtr<cairo_surface_t> surface(cairo_pdf_surface_create_for_stream(
        &append_to, &pdf, page.width * points_per_pixel, page.height * points_per_pixel));
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "TRAVEX");
    CairoPtr<cairo_t> cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), points_per_pixel, points_per_pixel);
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);

    SizedFont header;
    SizedFont body;
    if (!size_font(face.get(), ft, kPdfHeaderPoints * page.dpi_y / 72.0, header) ||
        !size_font(face.get(), ft, page.dpi_y * 12 / 72, body)) {
        return {std::nullopt, "the calculator font cannot be used"};
    }
    PdfSurface pages(cr.get(), header, body);
    const bool printed = layout(pages, page);
    cr.reset();
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return {std::nullopt, "the PDF cannot be made"};
    }
    if (!printed || pages.pages() == 0) {
        return {std::nullopt, "nothing to print on this page size"};
    }
    return {std::move(pdf), ""};
}

}  // namespace travex::print
