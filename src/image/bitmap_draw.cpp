#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "image/bitmap.h"
#include "image/pixel_rows.h"

namespace {

// The source position sampled for target offset k of a span of targetLength
// taken from a span of sourceLength: the source pixel under the target pixel's
// centre.
int Sample(int k, int targetLength, int sourceLength)
{
    return int((2 * std::int64_t(k) + 1) * sourceLength / (2 * std::int64_t(targetLength)));
}

// The target offsets [first, last) that land inside the target bitmap
// (0..targetLimit) and sample a source position inside the source bitmap
// (0..sourceLimit). Sampling grows with the offset, so these form one run.
bool ValidRun(int targetStart, int targetLength, int sourceStart, int sourceLength, int targetLimit, int sourceLimit,
              int& first, int& last)
{
    first = std::max(0, -targetStart);
    last = std::min(targetLength, targetLimit - targetStart);
    while (first < last && sourceStart + Sample(first, targetLength, sourceLength) < 0)
        ++first;
    while (first < last && sourceStart + Sample(last - 1, targetLength, sourceLength) >= sourceLimit)
        --last;
    return first < last;
}

// Nearest-neighbour copy of source rectangle s into target rectangle t; a copy
// pixel for pixel when the two are the same size.
void StretchCopy(TBitmap& target, const TRect& t, const TBitmap& source, const TRect& s)
{
    if (t.Width() <= 0 || t.Height() <= 0 || s.Width() <= 0 || s.Height() <= 0)
        return;
    int colFirst, colLast, rowFirst, rowLast;
    if (!ValidRun(t.Left, t.Width(), s.Left, s.Width(), target.Width(), source.Width(), colFirst, colLast) ||
        !ValidRun(t.Top, t.Height(), s.Top, s.Height(), target.Height(), source.Height(), rowFirst, rowLast))
        return;

    const int count = colLast - colFirst;
    std::vector<int> columns(static_cast<std::size_t>(count));
    for (int k = colFirst; k < colLast; ++k)
        columns[std::size_t(k - colFirst)] = s.Left + Sample(k, t.Width(), s.Width());
    const int sourceFirst = columns.front();
    const int sourceCount = columns.back() - sourceFirst + 1;
    const bool sameColumns = sourceCount == count;
    // Between bitmaps of one depth and one colour table the pixels are copied
    // as they are: whole bytes, or colour-table indexes at 1 and 4 bits.
    const TPixelFormat format = source.PixelFormat();
    const bool sameKind = sameColumns && format == target.PixelFormat() &&
                          (format == pf24bit || format == pf32bit || source.ColorTable() == target.ColorTable());
    const bool rawCopy = sameKind && (format == pf8bit || format == pf24bit || format == pf32bit);
    const bool indexCopy = sameKind && !rawCopy;
    const std::size_t pixelBytes = format == pf8bit ? 1 : format == pf24bit ? 3 : 4;

    std::optional<TColorMatcher> matcher;
    if (!sameKind && target.PixelFormat() != pf24bit && target.PixelFormat() != pf32bit)
        matcher.emplace(target.ColorTable());
    std::vector<std::uint8_t> sourceRow(sameKind ? 0 : std::size_t(sourceCount) * 3);
    std::vector<std::uint8_t> targetRow(sameKind || sameColumns ? 0 : std::size_t(count) * 3);
    int loadedRow = -1;
    for (int k = rowFirst; k < rowLast; ++k) {
        const int sy = s.Top + Sample(k, t.Height(), s.Height());
        const int ty = t.Top + k;
        if (rawCopy) {
            std::memcpy(target.ScanLine(ty) + std::size_t(t.Left + colFirst) * pixelBytes,
                        source.ScanLine(sy) + std::size_t(sourceFirst) * pixelBytes, std::size_t(count) * pixelBytes);
            continue;
        }
        if (indexCopy) {
            const std::uint8_t* from = source.ScanLine(sy);
            std::uint8_t* to = target.ScanLine(ty);
            for (int i = 0; i < count; ++i)
                PutIndex(to, format, t.Left + colFirst + i, source.IndexInRow(from, sourceFirst + i));
            continue;
        }
        if (sy != loadedRow) {
            ReadRowBgr(source, sy, sourceFirst, sourceCount, sourceRow.data());
            loadedRow = sy;
        }
        const std::uint8_t* out = sourceRow.data();
        if (!sameColumns) {
            for (int i = 0; i < count; ++i)
                std::memcpy(&targetRow[std::size_t(i) * 3], &sourceRow[std::size_t(columns[std::size_t(i)] - sourceFirst) * 3], 3);
            out = targetRow.data();
        }
        WriteRowBgr(target, ty, t.Left + colFirst, count, out, matcher ? &*matcher : nullptr);
    }
}

}  // namespace

void TBitmap::Draw(const TBitmap& source)
{
    const TRect whole{0, 0, source.Width(), source.Height()};
    StretchCopy(*this, whole, source, whole);
}

void TBitmap::StretchDraw(const TRect& target, const TBitmap& source)
{
    StretchCopy(*this, target, source, TRect{0, 0, source.Width(), source.Height()});
}

void TBitmap::CopyRect(const TRect& target, const TBitmap& source, const TRect& sourceRect)
{
    StretchCopy(*this, target, source, sourceRect);
}
