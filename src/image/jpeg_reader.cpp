#include "image/jpeg_reader.h"

#include <algorithm>
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

// Fills a 24-bit bitmap in place.
class TBitmapSink final : public TRowSink {
public:
    explicit TBitmapSink(TBitmap& bitmap) : Bitmap(bitmap) {}
    bool Begin(int width, int height) noexcept override { return Bitmap.TryReset(width, height, pf24bit); }
    void Place(int first, int count, std::uint8_t** rows) noexcept override
    {
        for (int i = 0; i < count; ++i)
            rows[i] = Bitmap.ScanLine(first + i);
    }
    void Filled(int, int) noexcept override {}

private:
    TBitmap& Bitmap;
};

// Runs the decoder. libjpeg leaves this frame by longjmp on an error, so
// nothing in it may need a destructor; the caller cleans up.
bool Decode(jpeg_decompress_struct& cinfo, TJpegErrorManager& errors, jpeg_progress_mgr& progress,
            const std::uint8_t* data, std::size_t size, TRowSink& sink, std::uint64_t maxPixels)
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
    if (!sink.Begin(int(cinfo.output_width), int(cinfo.output_height)))
        return false;

    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 4, 1);
    const bool inverted = cinfo.saw_Adobe_marker || cinfo.jpeg_color_space == JCS_YCCK;
    std::uint8_t* rows[JpegBandRows];
    while (cinfo.output_scanline < cinfo.output_height) {
        const int first = int(cinfo.output_scanline);
        const int count = std::min(JpegBandRows, int(cinfo.output_height) - first);
        sink.Place(first, count, rows);
        if (cmyk) {
            for (int i = 0; i < count; ++i) {
                if (jpeg_read_scanlines(&cinfo, cmykRow, 1) != 1)
                    return false;
                CmykToBgr(cmykRow[0], rows[i], cinfo.output_width, inverted);
            }
        } else {
            for (int done = 0; done < count;) {
                const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows + done, JDIMENSION(count - done));
                if (got == 0)
                    return false;
                done += int(got);
            }
        }
        sink.Filled(first, count);
    }
    return true;
}

}  // namespace

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, TRowSink& sink, std::uint64_t maxPixels)
{
    if (size == 0)
        return false;
    jpeg_decompress_struct cinfo{};
    TJpegErrorManager errors{};
    jpeg_progress_mgr progress{};
    const bool ok = Decode(cinfo, errors, progress, data, size, sink, maxPixels);
    jpeg_destroy_decompress(&cinfo);
    return ok;
}

bool ReadJpeg(const std::uint8_t* data, std::size_t size, TBitmap& bitmap, std::uint64_t maxPixels)
{
    TBitmap result;
    TBitmapSink sink(result);
    if (!DecodeJpeg(data, size, sink, maxPixels))
        return false;
    bitmap = std::move(result);
    return true;
}

bool LoadJpegFile(const std::string& path, TBitmap& bitmap)
{
    std::vector<std::uint8_t> bytes;
    return ReadPictureBytes(path, bytes) && ReadJpeg(bytes.data(), bytes.size(), bitmap);
}
