#include "picture_readers.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// A damaged progressive file can hold any number of scans; a real one a few.
constexpr int MaxScans = 1000;

// libjpeg's error manager with a way back out of the library, and the
// message kept for this one decoder.
struct TJpegErrors {
    jpeg_error_mgr Manager;
    jmp_buf Escape;
    char Message[JMSG_LENGTH_MAX];
    bool Truncated;
    jpeg_progress_mgr Progress; // counts the scans
};

void OnJpegError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->Message);
    longjmp(errors->Escape, 1);
}

void OnJpegMessage(j_common_ptr info, int level)
{
    auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
    // A warning about data ending early means the picture is truncated: the
    // library would fill the rest with grey and call it a success.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        errors->Truncated = true;
}

void LimitScans(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MaxScans) {
        auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
        std::snprintf(errors->Message, sizeof errors->Message, "more than %d scans", MaxScans);
        longjmp(errors->Escape, 1);
    }
}

// The decode itself. Nothing with a destructor may be alive in this frame
// when libjpeg jumps back to the setjmp: buffers belong to the caller.
bool Decode(jpeg_decompress_struct& info, TJpegErrors& errors, std::string_view bytes,
            TGreyPicture& picture, std::vector<uint8_t>& line, std::string& error)
{
    if (setjmp(errors.Escape)) {
        error = std::string("corrupt JPEG: ") + errors.Message;
        return false;
    }
    jpeg_create_decompress(&info);
    errors.Progress.progress_monitor = &LimitScans;
    info.progress = &errors.Progress;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_GRAYSCALE;
    if (!AllocatePicture(picture, info.image_width, info.image_height, error))
        return false;
    jpeg_start_decompress(&info);
    if (static_cast<int>(info.output_width) != picture.Width || static_cast<int>(info.output_height) != picture.Height
        || info.output_components != (cmyk ? 4 : 1)) {
        error = "unexpected JPEG layout";
        return false;
    }
    // Adobe writes CMYK inverted; the saw_Adobe_marker tells which.
    bool inverted = info.saw_Adobe_marker;
    line.resize(cmyk ? static_cast<size_t>(picture.Width) * 4 : 0);
    while (info.output_scanline < info.output_height) {
        int y = static_cast<int>(info.output_scanline);
        JSAMPROW row = cmyk ? line.data() : picture.Row(y);
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
        if (cmyk) {
            uint8_t* out = picture.Row(y);
            for (int x = 0; x < picture.Width; ++x) {
                unsigned c = line[4 * x], m = line[4 * x + 1], ye = line[4 * x + 2], k = line[4 * x + 3];
                if (!inverted) {
                    c = 255 - c; m = 255 - m; ye = 255 - ye; k = 255 - k;
                }
                out[x] = GreyOf(c * k / 255, m * k / 255, ye * k / 255);
            }
        }
        if (errors.Truncated)
            break;
    }
    if (errors.Truncated || info.output_scanline < info.output_height) {
        error = "truncated JPEG";
        return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

bool ReadJpegPicture(std::string_view bytes, TGreyPicture& picture, std::string& error)
{
    if (bytes.size() < 4) {
        error = "truncated JPEG";
        return false;
    }
    jpeg_decompress_struct info{};
    TJpegErrors errors{};
    info.err = jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = &OnJpegError;
    errors.Manager.emit_message = &OnJpegMessage;
    std::vector<uint8_t> line;
    bool ok = Decode(info, errors, bytes, picture, line, error);
    jpeg_destroy_decompress(&info);
    picture.BiLevel = false;
    return ok;
}
