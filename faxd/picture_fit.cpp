#include "picture_fit.h"

#include <algorithm>
#include <cmath>

namespace {

// For one axis: which source samples make each output sample, and how much.
struct TTaps {
    std::vector<int> First;        // per output sample: index into Index/Weight
    std::vector<int> Count;
    std::vector<int> Index;
    std::vector<float> Weight;
};

TTaps MakeTaps(int sourceSize, int outputSize)
{
    TTaps taps;
    taps.First.resize(outputSize);
    taps.Count.resize(outputSize);
    double scale = static_cast<double>(outputSize) / sourceSize;
    for (int i = 0; i < outputSize; ++i) {
        taps.First[i] = static_cast<int>(taps.Index.size());
        if (scale < 1.0) {
            // Area average over [i / scale, (i + 1) / scale).
            double from = i / scale, to = (i + 1) / scale;
            int a = static_cast<int>(std::floor(from));
            int b = std::min(sourceSize, static_cast<int>(std::ceil(to)));
            for (int s = a; s < b; ++s) {
                double w = std::min(to, s + 1.0) - std::max(from, static_cast<double>(s));
                if (w > 0) {
                    taps.Index.push_back(s);
                    taps.Weight.push_back(static_cast<float>(w * scale));
                }
            }
        } else {
            double c = (i + 0.5) / scale - 0.5;
            int a = static_cast<int>(std::floor(c));
            float f = static_cast<float>(c - a);
            int lo = std::clamp(a, 0, sourceSize - 1), hi = std::clamp(a + 1, 0, sourceSize - 1);
            taps.Index.push_back(lo);
            taps.Weight.push_back(1.0f - f);
            taps.Index.push_back(hi);
            taps.Weight.push_back(f);
        }
        taps.Count[i] = static_cast<int>(taps.Index.size()) - taps.First[i];
    }
    return taps;
}

void FitBiLevel(const TGreyPicture& picture, const TPlacement& place, TFaxPage& page)
{
    std::vector<int> sourceX(place.Width);
    for (int x = 0; x < place.Width; ++x)
        sourceX[x] = std::min(picture.Width - 1,
                              static_cast<int>((x + 0.5) * picture.Width / place.Width));
    for (int y = 0; y < place.Height; ++y) {
        int sy = std::min(picture.Height - 1, static_cast<int>((y + 0.5) * picture.Height / place.Height));
        const uint8_t* source = picture.Row(sy);
        for (int x = 0; x < place.Width; ++x)
            if (source[sourceX[x]] < 128)
                page.SetBlack(place.Left + x, place.Top + y);
    }
}

void FitDithered(const TGreyPicture& picture, const TPlacement& place, TFaxPage& page)
{
    TTaps across = MakeTaps(picture.Width, place.Width);
    TTaps down = MakeTaps(picture.Height, place.Height);
    std::vector<float> column(picture.Width);
    std::vector<float> errorThis(place.Width + 2, 0.0f), errorNext(place.Width + 2, 0.0f);
    for (int y = 0; y < place.Height; ++y) {
        std::fill(column.begin(), column.end(), 0.0f);
        for (int t = down.First[y]; t < down.First[y] + down.Count[y]; ++t) {
            const uint8_t* source = picture.Row(down.Index[t]);
            float w = down.Weight[t];
            for (int x = 0; x < picture.Width; ++x)
                column[x] += w * source[x];
        }
        std::swap(errorThis, errorNext);
        std::fill(errorNext.begin(), errorNext.end(), 0.0f);
        // Serpentine scan: even rows left to right, odd rows right to left.
        bool forward = (y & 1) == 0;
        for (int k = 0; k < place.Width; ++k) {
            int x = forward ? k : place.Width - 1 - k;
            float value = 0.0f;
            for (int t = across.First[x]; t < across.First[x] + across.Count[x]; ++t)
                value += across.Weight[t] * column[across.Index[t]];
            value += errorThis[x + 1];
            float shown = value < 128.0f ? 0.0f : 255.0f;
            if (shown == 0.0f)
                page.SetBlack(place.Left + x, place.Top + y);
            float e = value - shown;
            int ahead = forward ? 1 : -1;
            errorThis[x + 1 + ahead] += e * (7.0f / 16);
            errorNext[x + 1 - ahead] += e * (3.0f / 16);
            errorNext[x + 1] += e * (5.0f / 16);
            errorNext[x + 1 + ahead] += e * (1.0f / 16);
        }
    }
}

} // namespace

TPlacement PlacePictureOnPage(int width, int height)
{
    TPlacement place;
    if (width <= 0 || height <= 0)
        return place;
    double areaWidth = FaxPageWidth - 2 * PictureMarginX;
    double areaHeight = FaxPageHeight - 2 * PictureMarginY;
    // Inches per source pixel that fit the picture in both directions.
    double inches = std::min(areaWidth / (width * FaxXDpi), areaHeight / (height * FaxYDpi));
    place.Width = std::clamp(static_cast<int>(std::lround(width * inches * FaxXDpi)), 1,
                             static_cast<int>(areaWidth));
    place.Height = std::clamp(static_cast<int>(std::lround(height * inches * FaxYDpi)), 1,
                              static_cast<int>(areaHeight));
    place.Left = (FaxPageWidth - place.Width) / 2;
    place.Top = PictureMarginY;
    return place;
}

TFaxPage FitPictureToPage(const TGreyPicture& picture)
{
    return FitPictureAt(picture, PlacePictureOnPage(picture.Width, picture.Height));
}

TFaxPage FitPictureAt(const TGreyPicture& picture, const TPlacement& place)
{
    TFaxPage page = MakeBlankFaxPage();
    if (picture.Width <= 0 || picture.Height <= 0 || place.Width <= 0 || place.Height <= 0
        || place.Left < 0 || place.Top < 0 || place.Left + place.Width > page.Width
        || place.Top + place.Height > page.Height
        || picture.Pixels.size() < static_cast<size_t>(picture.Width) * picture.Height)
        return page;
    if (picture.BiLevel)
        FitBiLevel(picture, place, page);
    else
        FitDithered(picture, place, page);
    return page;
}
