// Loading, turning, fitting and saving a full A4 page, beside libjpeg's bare
// decode of the same file and ImageMagick doing the same steps; and each
// conversion routine on the full page at 24 bits.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <vector>

#include <jpeglib.h>

#include "image/color_tables.h"
#include "image/folder_match.h"
#include "image/page_picture.h"
#include "image/picture_file.h"
#include "image/rotation.h"
#include "image/threshold.h"
#include "image/trim.h"
#include "image/two_colors.h"
#include "page_files.h"

namespace {

const std::string& PagePath(const benchmark::State& state)
{
    return state.range(0) == 0 ? PageFiles().Portrait : PageFiles().Landscape;
}

void LabelPage(benchmark::State& state)
{
    state.SetLabel(state.range(0) == 0 ? "portrait 2480x3508" : "landscape 3508x2480");
}

// libjpeg alone: the file read into memory and decoded to RGB rows, both
// into buffers kept from one run to the next. This is the floor of the page
// route: a fresh buffer would add the cost of mapping and zeroing 26 MB to
// every run and make the floor slower than the route built on it.
struct TBareDecoder {
    std::vector<std::uint8_t> Bytes;
    std::vector<std::uint8_t> Pixels;

    void Decode(const std::string& path)
    {
        if (!ReadPictureBytes(path, Bytes))
            std::abort();
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr errors{};
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, Bytes.data(), static_cast<unsigned long>(Bytes.size()));
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = std::size_t(cinfo.output_width) * 3;
        if (Pixels.size() < stride * cinfo.output_height)
            Pixels.resize(stride * cinfo.output_height);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = Pixels.data() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(Pixels.data());
    }
};

// Processor time of this thread, in seconds: on a shared machine the wall
// clock measures the neighbours as much as the work.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The mean processor time of a bare decode of the page, in seconds.
double BareDecodeSeconds(const std::string& path)
{
    TBareDecoder decoder;
    decoder.Decode(path);
    constexpr int runs = 8;
    const double start = ThreadSeconds();
    for (int i = 0; i < runs; ++i)
        decoder.Decode(path);
    return (ThreadSeconds() - start) / runs;
}

bool LoadTurnFitSave(const std::string& path, const std::string& appDir)
{
    TBitmap picture;
    return LoadPagePicture(path, appDir, picture) && FitAndSavePicture(picture, 8, true, PageFiles().Output);
}

void BM_BareDecode(benchmark::State& state)
{
    LabelPage(state);
    TBareDecoder decoder;
    decoder.Decode(PagePath(state));
    for (auto _ : state)
        decoder.Decode(PagePath(state));
}

// Load + turn + fit + save tmp0.bmp at 8 bits; range(1) 1 turns by rows.
void BM_LoadTurnFitSave(benchmark::State& state)
{
    LabelPage(state);
    const std::string& appDir = state.range(1) ? PageFiles().AppDirByRow : PageFiles().AppDir;
    // Peak memory of one run, against the decoded picture (24 bits).
    const std::uint64_t before = ResidentBytes();
    ResetPeakResident();
    if (!LoadTurnFitSave(PagePath(state), appDir)) {
        state.SkipWithError("the page could not be prepared");
        return;
    }
    const double rise = double(PeakResidentBytes() - before);
    const double decoded = 2480.0 * 3508.0 * 3.0;
    const double floor = BareDecodeSeconds(PagePath(state));
    double spent = 0;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        LoadTurnFitSave(PagePath(state), appDir);
        spent += ThreadSeconds() - start;
    }
    // How many bare decodes of the same page one run of the route costs
    // (processor time of both).
    state.counters["x_bare_decode"] = spent / double(state.iterations()) / floor;
    state.counters["peak_MB"] = rise / 1e6;
    state.counters["peak_per_picture"] = rise / decoded;
}

void BM_ImageMagick(benchmark::State& state)
{
    LabelPage(state);
    const std::string convert = PELMOR_IMAGEMAGICK_CONVERT;
    if (convert.empty() || convert.find("NOTFOUND") != std::string::npos) {
        state.SkipWithError("ImageMagick is not installed");
        return;
    }
    // "90>" turns only a picture wider than high, as the page step does.
    const std::string command = convert + " '" + PagePath(state) + "' -rotate '90>' -resize 544x826 -colors 256 BMP3:'" +
                                PageFiles().Folder + "/magick.bmp'";
    // ImageMagick's own processor time (it may use both cores); the wall time
    // is what the benchmark reports.
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("convert failed");
    getrusage(RUSAGE_CHILDREN, &after);
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    const double cpu = ms(after.ru_utime) - ms(before.ru_utime) + ms(after.ru_stime) - ms(before.ru_stime);
    state.counters["child_cpu_ms"] = cpu / double(state.iterations());
}

// The routines, each on a fresh copy of the full page at 24 bits.
template <class Work>
void OnPage(benchmark::State& state, const TBitmap& page, Work work)
{
    for (auto _ : state) {
        state.PauseTiming();
        TBitmap copy(page);
        state.ResumeTiming();
        work(copy);
        benchmark::DoNotOptimize(copy.ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(page.Width()) * page.Height());
}

const TBitmap& Page()
{
    static const TBitmap page = MakePage();
    return page;
}

// The page reduced to two colours: the case colour detection scans to the end.
const TBitmap& TwoColourPage()
{
    static const TBitmap page = [] {
        TBitmap b(Page());
        ThresholdToTwoColors(b, RGBColor(255, 255, 0), RGBColor(200, 0, 0), 60);
        return b;
    }();
    return page;
}

void BM_RotateBitmapByPixel(benchmark::State& state)
{
    OnPage(state, Page(), [](TBitmap& b) { RotateBitmapByPixel(1, b); });
}

void BM_RotateBitmapByScanline(benchmark::State& state)
{
    OnPage(state, Page(), [](TBitmap& b) { RotateBitmapByScanline(1, b); });
}

void BM_ThresholdToTwoColors(benchmark::State& state)
{
    OnPage(state, Page(), [](TBitmap& b) { ThresholdToTwoColors(b, clWhite, clBlack, 60); });
}

void BM_FindFirstThreeColors_Photo(benchmark::State& state)
{
    OnPage(state, Page(), [](TBitmap& b) { benchmark::DoNotOptimize(FindFirstThreeColors(b)); });
}

void BM_FindFirstThreeColors_TwoColours(benchmark::State& state)
{
    OnPage(state, TwoColourPage(), [](TBitmap& b) { benchmark::DoNotOptimize(FindFirstThreeColors(b)); });
}

void BM_NormalizeTwoColors(benchmark::State& state)
{
    OnPage(state, TwoColourPage(), [](TBitmap& b) { NormalizeTwoColors(b, RGBColor(255, 255, 0), RGBColor(200, 0, 0)); });
}

void BM_TrimBitmapEdge(benchmark::State& state)
{
    const std::uint8_t vertical = std::uint8_t(state.range(0));
    state.SetLabel(vertical ? "top rows" : "left columns");
    OnPage(state, Page(), [vertical](TBitmap& b) { TrimBitmapEdge(b, vertical, 1, 10); });
}

void BM_ChangeDepth(benchmark::State& state)
{
    const auto format = TPixelFormat(state.range(0));
    state.SetLabel(std::to_string(BitsPerPixel(format)) + " bits");
    OnPage(state, Page(), [format](TBitmap& b) { b.SetPixelFormat(format); });
}

void BM_FolderHasNameLike(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(FolderHasNameLike(PageFiles().AppDirByRow, "scanline"));
}

}  // namespace

BENCHMARK(BM_BareDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTurnFitSave)->Args({0, 0})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagick)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateBitmapByPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateBitmapByScanline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThresholdToTwoColors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFirstThreeColors_Photo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFirstThreeColors_TwoColours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NormalizeTwoColors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrimBitmapEdge)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangeDepth)->Arg(pf1bit)->Arg(pf4bit)->Arg(pf8bit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderHasNameLike)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    // Every large buffer gets its own mapping, returned to the system when
    // freed, so that the resident size shows what a run really holds.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    benchmark::Initialize(&argc, argv);
    PageFiles();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
