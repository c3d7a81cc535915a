// libFuzzer entry for the BMP reader: any bytes, read with a small pixel limit,
// and what was read put through the depth changes and the colour scan.
#include <cstddef>
#include <cstdint>

#include "image/bmp_reader.h"
#include "image/two_colors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TBitmap bitmap;
    if (!ReadBmp(data, size, bitmap, 1u << 18))
        return 0;
    TBitmap copy(bitmap);
    copy.SetPixelFormat(pf4bit);
    bitmap.SetPixelFormat(pf24bit);
    FindFirstThreeColors(copy);
    return 0;
}
