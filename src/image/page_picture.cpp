#include "image/page_picture.h"

#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#include "image/bitmap_error.h"
#include "image/bmp_reader.h"
#include "image/folder_match.h"
#include "image/jpeg_reader.h"
#include "image/picture_file.h"
#include "image/rotation.h"
#include "image/two_colors.h"

namespace {

std::string LowerCaseExtension(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return ext;
}

bool IsJpegPath(const std::string& path)
{
    const std::string ext = LowerCaseExtension(path);
    return ext == ".jpg" || ext == ".jpeg";
}

// Takes decoded rows and, for a picture that NeedsTurning, writes them turned
// clockwise into the result: pixel by pixel into the 32-bit working format, or
// by bytes into 24-bit rows, giving what RotateBitmapByPixel and
// RotateBitmapByScanline give. Rows are gathered into bands of BandRows so
// that each result row is written a long run at a time. Any other picture is
// decoded in place.
class TUprightSink final : public TRowSink {
public:
    TUprightSink(TBitmap& result, bool byRow) : Result(result), ByRow(byRow) {}

    bool Begin(int width, int height) noexcept override
    {
        Width = width;
        Height = height;
        Turning = NeedsTurning(width, height);
        if (!Turning)
            return Result.TryReset(width, height, pf24bit);
        Stride = std::size_t(width) * 3;
        try {
            Band.resize(Stride * BandRows);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return Result.TryReset(height, width, ByRow ? pf24bit : pf32bit);
    }

    void Place(int first, int count, std::uint8_t** rows) noexcept override
    {
        for (int i = 0; i < count; ++i)
            rows[i] = Turning ? Band.data() + std::size_t((first + i) % BandRows) * Stride : Result.ScanLine(first + i);
    }

    void Filled(int first, int count) noexcept override
    {
        const int end = first + count;
        if (Turning && (end % BandRows == 0 || end == Height))
            Flush(end - 1 - (end - 1) % BandRows, end);
    }

private:
    static constexpr int BandRows = 64;
    static constexpr int PrefetchAhead = 8;
    static_assert(BandRows % JpegBandRows == 0);

    // Writes source rows [first, end) of the band; source row y, column x
    // lands at column Height-1-y of row x.
    void Flush(int first, int end)
    {
        const std::size_t pixelBytes = ByRow ? 3 : 4;
        const std::size_t runBytes = std::size_t(end - first) * pixelBytes;
        for (int x = 0; x < Width; ++x) {
            // Each result row is written at a stride the hardware cannot
            // foresee; ask for the rows a few steps ahead.
            if (x + PrefetchAhead < Width) {
                const std::uint8_t* ahead = Result.ScanLine(x + PrefetchAhead) + std::size_t(Height - end) * pixelBytes;
                for (std::size_t offset = 0; offset < runBytes; offset += 64)
                    __builtin_prefetch(ahead + offset, 1);
            }
            const std::uint8_t* in = Band.data() + std::size_t(x) * 3;
            if (ByRow) {
                std::uint8_t* out = Result.ScanLine(x) + std::size_t(Height - 1 - first) * 3;
                for (int y = first; y < end; ++y, in += Stride, out -= 3)
                    std::memcpy(out, in, 3);
            } else {
                // One word per pixel, as SetPixel writes the working format,
                // without its checks: every position here is inside the picture.
                std::uint8_t* out = Result.ScanLine(x) + std::size_t(Height - 1 - first) * 4;
                for (int y = first; y < end; ++y, in += Stride, out -= 4) {
                    const std::uint8_t pixel[4] = {in[0], in[1], in[2], 0};
                    std::memcpy(out, pixel, 4);
                }
            }
        }
    }

    TBitmap& Result;
    bool ByRow;
    bool Turning = false;
    int Width = 0;
    int Height = 0;
    std::size_t Stride = 0;
    std::vector<std::uint8_t> Band;
};

}  // namespace

bool PixelFormatOfDepth(int depth, TPixelFormat& format)
{
    switch (depth) {
    case 1: format = pf1bit; return true;
    case 4: format = pf4bit; return true;
    case 8: format = pf8bit; return true;
    case 24: format = pf24bit; return true;
    default: return false;
    }
}

bool LoadPictureFile(const std::string& path, TBitmap& bitmap)
{
    if (LowerCaseExtension(path) == ".bmp")
        return LoadBmpFile(path, bitmap);
    if (IsJpegPath(path))
        return LoadJpegFile(path, bitmap);
    return false;
}

bool NeedsTurning(int width, int height)
{
    return (width > PageWidthLimit || height > PageHeightLimit) && width > height;
}

bool TurnUpright(TBitmap& bitmap, bool byRow)
{
    if (!NeedsTurning(bitmap.Width(), bitmap.Height()))
        return true;
    if (byRow) {
        const int oldWidth = bitmap.Width();
        RotateBitmapByScanline(1, bitmap);
        return bitmap.Height() == oldWidth;  // unchanged means it failed
    }
    try {
        RotateBitmapByPixel(1, bitmap);
        return true;
    } catch (const TBitmapError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool LoadPagePicture(const std::string& path, const std::string& appDir, TBitmap& bitmap)
{
    const bool byRow = FolderHasNameLike(appDir, "scanline");
    TBitmap loaded;
    if (IsJpegPath(path)) {
        // A JPEG is turned while it is decoded, band by band, so that the
        // unturned page is never held whole.
        std::vector<std::uint8_t> bytes;
        TUprightSink sink(loaded, byRow);
        if (!ReadPictureBytes(path, bytes) || !DecodeJpeg(bytes.data(), bytes.size(), sink))
            return false;
    } else if (!LoadPictureFile(path, loaded) || !TurnUpright(loaded, byRow)) {
        return false;
    }
    bitmap = std::move(loaded);
    return true;
}

TPageFit ShrinkToPage(int width, int height)
{
    TPageFit fit{width, height, 0};
    while (fit.Width > PageWidthLimit || fit.Height > PageHeightLimit) {
        fit.Width = fit.Width * 99 / 100;
        fit.Height = fit.Height * 99 / 100;
        ++fit.Steps;
    }
    return fit;
}

bool FitAndSavePicture(const TBitmap& source, int depth, bool shrinkToPage, const std::string& path)
{
    TPixelFormat format;
    if (!PixelFormatOfDepth(depth, format))
        return false;
    try {
        const TPageFit fit = shrinkToPage ? ShrinkToPage(source.Width(), source.Height())
                                          : TPageFit{source.Width(), source.Height(), 0};
        TBitmap page;
        if (!page.TryReset(fit.Width, fit.Height, pf24bit))
            return false;
        if (fit.Steps > 0)
            page.StretchDraw({0, 0, fit.Width, fit.Height}, source);
        else
            page.Draw(source);

        const TThreeColors colors = FindFirstThreeColors(page);
        const bool twoColors = colors.First == colors.Third;
        if (twoColors) {
            if (colors.First == colors.Second)
                return false;  // one colour: nothing worth sending
            NormalizeTwoColors(page, colors.First, colors.Second);
        }

        std::error_code error;
        std::filesystem::remove(path, error);
        if (error || std::filesystem::exists(path, error))
            return false;
        page.SetPixelFormat(twoColors ? pf1bit : format);
        return page.SaveToFile(path);
    } catch (const TBitmapError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
