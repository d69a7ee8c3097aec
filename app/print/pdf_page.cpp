#include "print/pdf_surface.h"

namespace travex::print {

PageDescription pdf_page(Paper paper) {
    // A4 is 210 × 297 mm, letter 8.5 × 11 inches.
    if (paper == Paper::letter) {
        return {kPdfResolution * 17 / 2, kPdfResolution * 11, kPdfResolution, kPdfResolution, 96};
    }
    return {kPdfResolution * 210 * 10 / 254, kPdfResolution * 297 * 10 / 254, kPdfResolution,
            kPdfResolution, 96};
}

}  // namespace travex::print
