#include "pdf_renderer.h"

#include "picture_fit.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

void IgnorePopplerMessage(const std::string&, void*) {}

constexpr int MaxPdfPages = 2000;

} // namespace

bool RenderPdfPages(const std::string& path, const std::function<bool(const TFaxPage&)>& onPage,
                    std::string& error)
{
    poppler::set_debug_error_function(&IgnorePopplerMessage, nullptr);
    std::unique_ptr<poppler::document> document(poppler::document::load_from_file(path));
    if (!document) {
        error = "corrupt PDF";
        return false;
    }
    if (document->is_locked()) {
        error = "PDF is protected by a password";
        return false;
    }
    int count = document->pages();
    if (count <= 0) {
        error = "PDF has no pages";
        return false;
    }
    if (count > MaxPdfPages) {
        error = "PDF has too many pages (" + std::to_string(count) + ")";
        return false;
    }
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, false);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, false);
    renderer.set_image_format(poppler::image::format_gray8);
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<poppler::page> page(document->create_page(i));
        if (!page) {
            error = "PDF page " + std::to_string(i + 1) + " cannot be read";
            return false;
        }
        poppler::rectf box = page->page_rect(poppler::media_box);
        double widthInches = box.width() / 72.0, heightInches = box.height() / 72.0;
        if (page->orientation() == poppler::page::landscape || page->orientation() == poppler::page::seascape)
            std::swap(widthInches, heightInches);
        if (!(widthInches > 0.01 && heightInches > 0.01 && widthInches < 200 && heightInches < 200)) {
            error = "PDF page " + std::to_string(i + 1) + " has an impossible size";
            return false;
        }
        // Render so that the page already has the size it gets on the fax page.
        TPlacement place = PlacePictureOnPage(static_cast<int>(std::lround(widthInches * 1000)),
                                              static_cast<int>(std::lround(heightInches * 1000)));
        double xDpi = place.Width / widthInches, yDpi = place.Height / heightInches;
        poppler::image image = renderer.render_page(page.get(), xDpi, yDpi);
        if (!image.is_valid() || image.width() <= 0 || image.height() <= 0) {
            error = "PDF page " + std::to_string(i + 1) + " cannot be rendered";
            return false;
        }
        TGreyPicture picture;
        if (!AllocatePicture(picture, image.width(), image.height(), error))
            return false;
        const char* data = image.const_data();
        int stride = image.bytes_per_row();
        bool grey = image.format() == poppler::image::format_gray8;
        for (int y = 0; y < picture.Height; ++y) {
            const auto* in = reinterpret_cast<const uint8_t*>(data + static_cast<size_t>(y) * stride);
            uint8_t* out = picture.Row(y);
            for (int x = 0; x < picture.Width; ++x)
                out[x] = grey ? in[x] : OverWhite(GreyOf(in[4 * x + 2], in[4 * x + 1], in[4 * x]), in[4 * x + 3]);
        }
        // Rendered at the fax page's own resolution: laid on it as it is.
        if (!onPage(FitPictureAt(picture, place)))
            return false;
    }
    return true;
}
