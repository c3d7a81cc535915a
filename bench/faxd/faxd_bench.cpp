// Speed of the fax service's renderers and of its simulated line.
#include "bare_fax_loop.h"
#include "body_renderer.h"
#include "fax_tiff.h"
#include "simulated_line.h"
#include "t38_pair.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

fs::path WorkDir()
{
    static fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("pelmor-faxd-bench-" + std::to_string(getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

std::string Write(const std::string& name, const std::string& bytes)
{
    std::string path = (WorkDir() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// A full page of Japanese prose: 45 lines of 45 characters.
std::string DenseMemo(int pages)
{
    const std::string sentence = "本日はお忙しいところ誠にありがとうございます。来週の打合せ資料をお送りいたします。";
    std::string text;
    for (int p = 0; p < pages; ++p) {
        for (int line = 0; line < 45; ++line)
            text += sentence.substr(0, 3 * 44) + "\n";
        if (p + 1 < pages)
            text += "\f";
    }
    return text;
}

// A photograph-like colour picture: smooth shading, edges and grain.
std::string Photograph(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            double r = std::hypot(x - width * 0.4, y - height * 0.35) / width;
            int grain = static_cast<int>(random() % 24) - 12;
            int base = static_cast<int>(255 * (0.5 + 0.5 * std::cos(r * 12))) + grain;
            int red = std::clamp(base, 0, 255), green = std::clamp(base * 3 / 4 + (x % 200 < 100 ? 30 : 0), 0, 255);
            row[x] = qRgb(red, green, std::clamp(255 - base, 0, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes.toStdString();
}

std::string TenPagePdf()
{
    std::string path = (WorkDir() / "ten.pdf").string();
    QPdfWriter writer(QString::fromStdString(path));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    QPainter painter(&writer);
    QFont font("IPAMincho");
    font.setPointSizeF(10.5);
    painter.setFont(font);
    for (int page = 0; page < 10; ++page) {
        if (page > 0)
            writer.newPage();
        for (int line = 0; line < 45; ++line)
            painter.drawText(QPointF(240, 300 + line * 65),
                             QString::fromUtf8("第%1頁 見積書の内容をご確認ください。数量・単価・納期は下記のとおりです。")
                                 .arg(page + 1));
        painter.fillRect(QRectF(1500, 2800, 700, 400), QColor(128, 128, 128));
    }
    painter.end();
    return path;
}

void RenderBenchmark(benchmark::State& state, const std::string& body, TBodyType type, int expectedPages)
{
    std::string out = (WorkDir() / "out.tif").string();
    int pages = 0;
    for (auto _ : state) {
        std::string error;
        if (!RenderBody(body, type, out, pages, error) || pages != expectedPages) {
            state.SkipWithError(("render failed: " + error).c_str());
            return;
        }
    }
    state.counters["pages"] = pages;
    // CPU seconds per page.
    state.counters["s_per_page"] = benchmark::Counter(static_cast<double>(pages) * state.iterations(),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RenderMemoPage(benchmark::State& state)
{
    RenderBenchmark(state, Write("memo.txt", DenseMemo(1)), btText, 1);
}
BENCHMARK(BM_RenderMemoPage)->Unit(benchmark::kMillisecond);

void BM_RenderTenPageText(benchmark::State& state)
{
    RenderBenchmark(state, Write("ten.txt", DenseMemo(10)), btText, 10);
}
BENCHMARK(BM_RenderTenPageText)->Unit(benchmark::kMillisecond);

void BM_RenderPhotograph2480x3508(benchmark::State& state)
{
    static std::string body = Write("photo.jpg", Photograph(2480, 3508));
    RenderBenchmark(state, body, btJpeg, 1);
}
BENCHMARK(BM_RenderPhotograph2480x3508)->Unit(benchmark::kMillisecond);

void BM_RenderTenPagePdf(benchmark::State& state)
{
    static std::string body = TenPagePdf();
    RenderBenchmark(state, body, btPdf, 10);
}
BENCHMARK(BM_RenderTenPagePdf)->Unit(benchmark::kMillisecond);

// The dense one-page text fax both line benchmarks transmit.
const std::string& DenseFax()
{
    static std::string path = [] {
        std::string out = (WorkDir() / "dense.tif").string();
        int pages = 0;
        std::string error;
        RenderBody(Write("dense.txt", DenseMemo(1)), btText, out, pages, error);
        return out;
    }();
    return path;
}

void BM_SimulatedLineDensePage(benchmark::State& state)
{
    TSimulatedLine line;
    TLineJob job{"1", "0312345678", DenseFax(), 1, "", WorkDir().string(), WorkDir().string()};
    double lineSeconds = 0;
    for (auto _ : state) {
        TLineStatus status = line.Send(job);
        if (status.State != lsDone) {
            state.SkipWithError(status.Text.c_str());
            return;
        }
        lineSeconds = status.LineSeconds;
    }
    state.counters["line_s"] = lineSeconds;
    state.counters["x_real_time"] =
        benchmark::Counter(lineSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SimulatedLineDensePage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareSpandspLoopDensePage(benchmark::State& state)
{
    std::string rx = (WorkDir() / "bare-rx.tif").string();
    double lineSeconds = 0;
    for (auto _ : state) {
        long samples = RunBareFaxLoop(DenseFax(), rx);
        if (samples == 0) {
            state.SkipWithError("the bare loop failed");
            return;
        }
        lineSeconds = samples / 8000.0;
    }
    state.counters["line_s"] = lineSeconds;
    state.counters["x_real_time"] =
        benchmark::Counter(lineSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareSpandspLoopDensePage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same page between two T.38 terminals over our UDPTL in memory, without
// loss and with 10% of the datagrams lost; its floor is the bare audio loop above.
void BM_T38PairDensePage(benchmark::State& state)
{
    std::string rx = (WorkDir() / "t38-rx.tif").string();
    TT38PairSettings settings{state.range(0) / 100.0, 7, 3};
    double lineSeconds = 0;
    for (auto _ : state) {
        TSimulatedCall call = RunT38Pair(DenseFax(), rx, settings);
        if (!call.Completed) {
            state.SkipWithError(call.Error.c_str());
            return;
        }
        lineSeconds = call.Samples / 8000.0;
    }
    state.counters["line_s"] = lineSeconds;
    state.counters["x_real_time"] =
        benchmark::Counter(lineSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_T38PairDensePage)->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(WorkDir(), ec);
    return 0;
}
