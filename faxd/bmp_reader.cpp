// BMP pictures are read by the application's own BMP reader and laid out in
// grey levels here.
#include "picture_readers.h"

#include "image/bmp_reader.h"

bool ReadBmpPicture(std::string_view bytes, TGreyPicture& picture, std::string& error)
{
    TBitmap bitmap;
    if (!ReadBmp(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), bitmap,
                 static_cast<std::uint64_t>(MaxPicturePixels))) {
        error = "not a readable BMP picture (corrupt, truncated or too large)";
        return false;
    }
    if (!AllocatePicture(picture, bitmap.Width(), bitmap.Height(), error))
        return false;
    picture.BiLevel = bitmap.PixelFormat() == pf1bit;
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* row = picture.Row(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            TColor colour = bitmap.Pixel(x, y);  // red in the low byte
            row[x] = GreyOf(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
        }
    }
    return true;
}
