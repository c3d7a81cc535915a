#include "image/page_picture.h"

#include <filesystem>
#include <new>

#include "image/bitmap_error.h"
#include "image/bmp_reader.h"
#include "image/folder_match.h"
#include "image/jpeg_reader.h"
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

}  // namespace

bool LoadPictureFile(const std::string& path, TBitmap& bitmap)
{
    const std::string ext = LowerCaseExtension(path);
    if (ext == ".bmp")
        return LoadBmpFile(path, bitmap);
    if (ext == ".jpg" || ext == ".jpeg")
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
    TBitmap loaded;
    if (!LoadPictureFile(path, loaded))
        return false;
    if (NeedsTurning(loaded.Width(), loaded.Height()) && !TurnUpright(loaded, FolderHasNameLike(appDir, "scanline")))
        return false;
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
