// libFuzzer entry for the JPEG path: any bytes through libjpeg with our error
// handling, with a small pixel limit.
#include <cstddef>
#include <cstdint>

#include "image/jpeg_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TBitmap bitmap;
    if (ReadJpeg(data, size, bitmap, 1u << 20) && bitmap.Width() > 0)
        bitmap.SetPixelFormat(pf8bit);
    return 0;
}
