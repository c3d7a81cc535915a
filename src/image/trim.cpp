#include "image/trim.h"

#include "image/bitmap_error.h"

void TrimBitmapEdge(TBitmap& bitmap, std::uint8_t vertical, std::uint8_t fromStart, int amount)
{
    const bool alongHeight = vertical == 1;
    const int w = bitmap.Width(), h = bitmap.Height();
    const int length = alongHeight ? h : w;
    if (length <= MinTrimmedLength || amount < 0)
        return;
    int newLength = length - amount;
    int offset = 0;
    if (fromStart == 1)
        offset = newLength < MinTrimmedLength ? length - MinTrimmedLength : amount;
    if (newLength < MinTrimmedLength)
        newLength = MinTrimmedLength;

    TBitmap copy;
    if (!copy.TryReset(alongHeight ? w : newLength, alongHeight ? newLength : h, bitmap.PixelFormat()))
        throw TBitmapError("out of memory while trimming");
    copy.SetColorTable(bitmap.ColorTable());
    const TRect target{0, 0, copy.Width(), copy.Height()};
    const TRect source = alongHeight ? TRect{0, offset, w, offset + newLength} : TRect{offset, 0, offset + newLength, h};
    copy.CopyRect(target, bitmap, source);
    bitmap = std::move(copy);
}
