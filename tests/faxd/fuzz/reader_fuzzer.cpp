// libFuzzer target for the fax service's readers; FUZZ_READER picks which:
// 1 BMP, 2 JPEG, 3 PNG, 4 TIFF, 5 text (decoding and line breaking), 6 the
// office formats (zip packages, compound files).
// Every picture that decodes is also placed on a fax page.
#include "picture_fit.h"
#include "picture_readers.h"
#include "text_encoding.h"
#include "text_layout.h"

#include "automation/office/office_format.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The placement arithmetic sees every odd size; the scaling itself (a whole
// page per input) only tiny pictures, to keep the fuzzer fast.
void Fit(const TGreyPicture& picture)
{
    TPlacement place = PlacePictureOnPage(picture.Width, picture.Height);
    if (place.Width < 1 || place.Height < 1 || place.Left < 0 || place.Left + place.Width > FaxPageWidth
        || place.Top + place.Height > FaxPageHeight)
        __builtin_trap();
    if (picture.Width * picture.Height <= 16 && picture.Pixels.size() == static_cast<size_t>(picture.Width) * picture.Height)
        (void)FitPictureToPage(picture);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    TGreyPicture picture;
#if FUZZ_READER == 1
    if (ReadBmpPicture(bytes, picture, error))
        Fit(picture);
#elif FUZZ_READER == 2
    if (ReadJpegPicture(bytes, picture, error))
        Fit(picture);
#elif FUZZ_READER == 3
    if (ReadPngPicture(bytes, picture, error))
        Fit(picture);
#elif FUZZ_READER == 4
    static int fd = memfd_create("tiff", 0);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    ReadTiffPictures(path, [](const TGreyPicture& page) { Fit(page); return true; }, error);
#elif FUZZ_READER == 5
    std::string utf8;
    if (DecodeText(bytes, utf8))
        LayoutText(Utf8ToUtf32(utf8), TTextFrame{40, 45, 8},
                   [](char32_t c) { return c < 0x80 ? 0.5 : 1.0; });
    (void)Utf8ToUtf32(bytes);
#elif FUZZ_READER == 6
    static int fd = memfd_create("office", 0);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    (void)SniffOfficeFormat("/proc/self/fd/" + std::to_string(fd), "a.csv");
#else
#error FUZZ_READER must be 1 to 6
#endif
    return 0;
}
