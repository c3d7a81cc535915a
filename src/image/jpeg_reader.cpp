#include "image/jpeg_reader.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "image/picture_file.h"

namespace {

// A damaged progressive file can hold any number of scans; a real one a few.
constexpr int MaxScans = 1000;

struct TJpegErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
};

[[noreturn]] void LeaveOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegErrorManager*>(info->err)->Jump, 1);
}

void DropMessage(j_common_ptr) {}

void LimitScans(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MaxScans)
        LeaveOnError(info);
}

// Adobe's CMYK files hold the inks inverted (255 = no ink), which is what
// libjpeg hands out for YCCK as well; plain CMYK files hold them as they are.
void CmykToBgr(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = JSAMPLE((y * k + 127) / 255);
        out[1] = JSAMPLE((m * k + 127) / 255);
        out[2] = JSAMPLE((c * k + 127) / 255);
    }
}

// Runs the decoder into out. libjpeg leaves this frame by longjmp on an error,
// so nothing in it may need a destructor; the caller owns out and cleans up.
bool Decode(jpeg_decompress_struct& cinfo, TJpegErrorManager& errors, jpeg_progress_mgr& progress,
            const std::uint8_t* data, std::size_t size, TBitmap& out, std::uint64_t maxPixels)
{
    progress.progress_monitor = LimitScans;
    cinfo.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = LeaveOnError;
    errors.Base.output_message = DropMessage;
    if (setjmp(errors.Jump))
        return false;
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    if (std::uint64_t(cinfo.image_width) * cinfo.image_height > maxPixels)
        return false;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    if (!out.TryReset(int(cinfo.output_width), int(cinfo.output_height), pf24bit))
        return false;

    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 4, 1);
    const bool inverted = cinfo.saw_Adobe_marker || cinfo.jpeg_color_space == JCS_YCCK;
    JSAMPROW rows[16];
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        if (cmyk) {
            if (jpeg_read_scanlines(&cinfo, cmykRow, 1) != 1)
                return false;
            CmykToBgr(cmykRow[0], out.ScanLine(int(first)), cinfo.output_width, inverted);
            continue;
        }
        JDIMENSION count = cinfo.output_height - first;
        if (count > 16)
            count = 16;
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = out.ScanLine(int(first + i));
        if (jpeg_read_scanlines(&cinfo, rows, count) == 0)
            return false;
    }
    return true;
}

}  // namespace

bool ReadJpeg(const std::uint8_t* data, std::size_t size, TBitmap& bitmap, std::uint64_t maxPixels)
{
    if (size == 0)
        return false;
    jpeg_decompress_struct cinfo{};
    TJpegErrorManager errors{};
    jpeg_progress_mgr progress{};
    TBitmap result;
    const bool ok = Decode(cinfo, errors, progress, data, size, result, maxPixels);
    jpeg_destroy_decompress(&cinfo);
    if (ok)
        bitmap = std::move(result);
    return ok;
}

bool LoadJpegFile(const std::string& path, TBitmap& bitmap)
{
    std::vector<std::uint8_t> bytes;
    return ReadPictureBytes(path, bytes) && ReadJpeg(bytes.data(), bytes.size(), bitmap);
}
