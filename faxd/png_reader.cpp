#include "picture_readers.h"

#include <csetjmp>
#include <cstring>

#include <png.h>

namespace {

struct TPngSource {
    std::string_view Bytes;
    size_t At = 0;
    char Message[200] = "";
};

void OnPngRead(png_structp png, png_bytep out, size_t length)
{
    auto* source = static_cast<TPngSource*>(png_get_io_ptr(png));
    if (length > source->Bytes.size() - source->At) {
        std::strncpy(source->Message, "truncated PNG", sizeof source->Message - 1);
        png_longjmp(png, 1);
    }
    std::memcpy(out, source->Bytes.data() + source->At, length);
    source->At += length;
}

void OnPngError(png_structp png, png_const_charp message)
{
    auto* source = static_cast<TPngSource*>(png_get_error_ptr(png));
    if (!source->Message[0])
        std::snprintf(source->Message, sizeof source->Message, "corrupt PNG: %s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The decode itself. Nothing with a destructor may be alive in this frame
// when libpng jumps back to the setjmp: buffers belong to the caller.
bool Decode(png_structp png, png_infop info, TGreyPicture& picture, std::vector<uint8_t>& greyAlpha,
            std::vector<png_bytep>& rows, std::string& error)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, static_cast<png_uint_32>(MaxPictureSide), static_cast<png_uint_32>(MaxPictureSide));
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    int depth = png_get_bit_depth(png, info);
    int colourType = png_get_color_type(png, info);
    bool biLevel = depth == 1 && colourType == PNG_COLOR_TYPE_GRAY && !png_get_valid(png, info, PNG_INFO_tRNS);
    if (!AllocatePicture(picture, width, height, error))
        return false;
    picture.BiLevel = biLevel;

    // Everything becomes 8-bit grey with alpha.
    png_set_expand(png);
    png_set_strip_16(png);
    if (colourType & PNG_COLOR_MASK_COLOR)
        png_set_rgb_to_gray_fixed(png, 1, -1, -1);
    if (!(colourType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 2) {
        error = "unsupported PNG layout";
        return false;
    }
    greyAlpha.resize(static_cast<size_t>(width) * height * 2);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = greyAlpha.data() + static_cast<size_t>(y) * width * 2;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    for (png_uint_32 y = 0; y < height; ++y) {
        const uint8_t* in = rows[y];
        uint8_t* out = picture.Row(static_cast<int>(y));
        for (png_uint_32 x = 0; x < width; ++x)
            out[x] = OverWhite(in[2 * x], in[2 * x + 1]);
    }
    return true;
}

} // namespace

bool ReadPngPicture(std::string_view bytes, TGreyPicture& picture, std::string& error)
{
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
        error = "not a PNG file";
        return false;
    }
    TPngSource source{bytes};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, &OnPngError, &OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(&png, &info, nullptr);
        error = "out of memory";
        return false;
    }
    png_set_read_fn(png, &source, &OnPngRead);
    std::vector<uint8_t> greyAlpha;
    std::vector<png_bytep> rows;
    bool ok = Decode(png, info, picture, greyAlpha, rows, error);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok && error.empty())
        error = source.Message[0] ? source.Message : "corrupt PNG";
    return ok;
}
