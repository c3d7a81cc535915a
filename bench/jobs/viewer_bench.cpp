// A received page shown in the viewer, from its TIFF: a page of dense text at
// fine resolution (as the service renders and receives it) read, scaled to
// the view's width and put on screen; against the floor of libtiff decoding
// the same page into a reused buffer.
#include "body_renderer.h"
#include "fax_viewer.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <tiffio.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string& PageFile() {
    static std::string path = [] {
        fs::path dir = fs::temp_directory_path() / ("pelmor-viewer-bench-" + std::to_string(getpid()));
        fs::create_directories(dir);
        std::string text;
        for (int line = 0; line < 60; ++line)
            text += "御見積書 第" + std::to_string(line) + "号 品名・数量・単価・金額 ABCDEFGHIJ 1234567890 ご確認ください。\n";
        std::ofstream((dir / "memo.txt").string()) << text;
        std::string tiff = (dir / "page.tif").string();
        int pages = 0;
        std::string error;
        RenderBody((dir / "memo.txt").string(), btText, tiff, pages, error);
        return tiff;
    }();
    return path;
}

TInboxFax OnePage() {
    TInboxFax fax;
    fax.Id = "1";
    fax.Station = "0312345678";
    fax.Pages = 1;
    return fax;
}

// Opening a one-page fax in a viewer of 900 x 700: thumbnail and page fitted.
void BM_ViewerShowsReceivedPage(benchmark::State& state) {
    TFaxViewer viewer;
    viewer.resize(900, 700);
    viewer.show();
    QString error;
    for (auto _ : state) {
        if (!viewer.LoadFax(QString::fromStdString(PageFile()), OnePage(), error))
            state.SkipWithError(error.toStdString().c_str());
        benchmark::DoNotOptimize(viewer.Image0->pixmap().cacheKey());
    }
}
BENCHMARK(BM_ViewerShowsReceivedPage)->Unit(benchmark::kMillisecond);

// Read and scaled to 860 pixels across, without the widgets.
void BM_PageReadAndScaled(benchmark::State& state) {
    QString error;
    for (auto _ : state) {
        TFaxPageImage page;
        ReadFaxPageImage(QString::fromStdString(PageFile()), 0, page, error);
        QImage shown = DisplayImage(page, 860);
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_PageReadAndScaled)->Unit(benchmark::kMillisecond);

// The floor: libtiff decodes the page's rows into one reused buffer.
void BM_PageDecodeFloor(benchmark::State& state) {
    std::vector<uint8_t> rows;
    for (auto _ : state) {
        TIFF* tiff = TIFFOpen(PageFile().c_str(), "r");
        uint32_t height = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        size_t line = static_cast<size_t>(TIFFScanlineSize(tiff));
        rows.resize(line * height);
        for (uint32_t y = 0; y < height; ++y) TIFFReadScanline(tiff, rows.data() + y * line, y, 0);
        TIFFClose(tiff);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_PageDecodeFloor)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(fs::path(PageFile()).parent_path(), ec);
    return 0;
}
