#include "grey_picture.h"

#include <new>

bool AllocatePicture(TGreyPicture& picture, long long width, long long height, std::string& error)
{
    if (width <= 0 || height <= 0) {
        error = "picture has no pixels";
        return false;
    }
    if (width > MaxPictureSide || height > MaxPictureSide || width * height > MaxPicturePixels) {
        error = "picture too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
        return false;
    }
    try {
        picture.Pixels.assign(static_cast<size_t>(width * height), 255);
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        return false;
    }
    picture.Width = static_cast<int>(width);
    picture.Height = static_cast<int>(height);
    return true;
}
