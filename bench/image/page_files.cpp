#include "page_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include <jpeglib.h>

#include "image/rotation.h"

namespace {

constexpr int PageWidth = 2480, PageHeight = 3508;

void WriteJpeg(const TBitmap& page, const std::string& path)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(page.Width());
    cinfo.image_height = JDIMENSION(page.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(page.ScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

std::uint64_t StatusValue(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::strtoull(line.c_str() + std::char_traits<char>::length(key), nullptr, 10) * 1024;
    return 0;
}

struct TFolder {
    std::string Path;
    ~TFolder()
    {
        std::error_code ignored;
        if (!Path.empty())
            std::filesystem::remove_all(Path, ignored);
    }
};

}  // namespace

TBitmap MakePage()
{
    TBitmap page;
    page.TryReset(PageWidth, PageHeight, pf24bit);
    std::mt19937 random(11);
    for (int y = 0; y < PageHeight; ++y) {
        std::uint8_t* p = page.ScanLine(y);
        for (int x = 0; x < PageWidth; ++x, p += 3) {
            int b = 250, g = 250, r = 250;
            if (y >= 300 && y < 1700 && x >= 240 && x < 2240) {
                // The photograph: gradients with grain.
                const int grain = int(random() % 25) - 12;
                b = 40 + 180 * (x - 240) / 2000 + grain;
                g = 30 + 200 * (y - 300) / 1400 + grain;
                r = 220 - 150 * ((x - 240) + (y - 300)) / 3400 + grain;
            } else if (y >= 150 && y < 230 && x >= 240 && x < 1800 && (x / 30) % 4 != 3) {
                b = 160, g = 40, r = 20;  // a blue heading
            } else if (y >= 1850 && y < 3300 && (y - 1850) % 60 < 28 && x >= 240 && x < 2240 && (x * 7 + y) % 53 < 21) {
                b = g = r = 30;  // lines of text
            }
            auto clamp = [](int v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
            p[0] = clamp(b);
            p[1] = clamp(g);
            p[2] = clamp(r);
        }
    }
    return page;
}

const TPageFiles& PageFiles()
{
    static TFolder folder;
    static const TPageFiles files = [] {
        char name[] = "/tmp/pelmor-bench-XXXXXX";
        if (!mkdtemp(name))
            std::abort();
        folder.Path = name;
        TPageFiles f;
        f.Folder = name;
        f.Portrait = f.Folder + "/page-portrait.jpg";
        f.Landscape = f.Folder + "/page-landscape.jpg";
        f.AppDir = f.Folder + "/app";
        f.AppDirByRow = f.Folder + "/app-scanline";
        f.Output = f.Folder + "/tmp0.bmp";
        std::filesystem::create_directories(f.AppDir);
        std::filesystem::create_directories(f.AppDirByRow);
        std::ofstream(f.AppDirByRow + "/scanline");
        TBitmap page = MakePage();
        WriteJpeg(page, f.Portrait);
        RotateBitmapByScanline(0, page);
        WriteJpeg(page, f.Landscape);
        return f;
    }();
    return files;
}

std::uint64_t ResidentBytes()
{
    return StatusValue("VmRSS:");
}

void ResetPeakResident()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::uint64_t PeakResidentBytes()
{
    return StatusValue("VmHWM:");
}
