// The preview on a full A4 page at 300 dpi (2480 × 3508, a photograph with a
// heading and text), through the real main window on the offscreen platform:
// opening it, a release on the threshold slider and a trim click, each with
// the preview painted. Beside each, its floor: the least pixel work the same
// step needs, done the plainest fast way in a reused buffer.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>

#include "app/app_state.h"
#include "app/main_window.h"
#include "automation/register_servers.h"
#include "image/image_control.h"
#include "page_files.h"
#include "platform/application.h"

namespace {

TForm1& Form()
{
    static TForm1* form = [] {
        auto* f = new TForm1;
        f->FormCreate(PageFiles().AppDir);
        f->SourcePicture = std::make_unique<TBitmap>(MakePage());
        f->ShowPreviewLayout(true);
        f->Panel1->show();
        f->show();
        QApplication::processEvents();
        return f;
    }();
    return *form;
}

// What the user sees: the visible part of the preview painted at once.
void PaintPreview(TForm1& form)
{
    form.Image1->repaint();
    QApplication::processEvents();
}

void CountPage(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * std::int64_t(2480) * 3508);
}

// range(0): the depth chosen, 4, 8 (as on a first start) or 24 bits.
void BM_OpenPreview(benchmark::State& state)
{
    TForm1& form = Form();
    QRadioButton* depth = state.range(0) == 4 ? form.RBtn1 : state.range(0) == 24 ? form.RBtn3 : form.RBtn2;
    depth->setChecked(true);
    for (auto _ : state) {
        if (!form.PrepareImage(true, false, 0))
            state.SkipWithError("the preview could not be made");
        PaintPreview(form);
    }
    state.SetLabel(std::to_string(state.range(0)) + " bits");
    form.RBtn2->setChecked(true);
    CountPage(state);
}

void BM_SliderRelease(benchmark::State& state)
{
    TForm1& form = Form();
    for (auto _ : state) {
        form.YTBar0MouseUp();
        PaintPreview(form);
    }
    CountPage(state);
}

void BM_TrimClick(benchmark::State& state)
{
    TForm1& form = Form();
    auto* button = form.Panel1->findChild<QPushButton*>(QStringLiteral("BtnT1"));
    form.PrepareImage(true, false, 0);
    for (auto _ : state) {
        if (form.Image1->Picture().Width() < 1500) {
            state.PauseTiming();
            form.PrepareImage(true, false, 0);
            state.ResumeTiming();
        }
        form.TrimBtnClick(*button);
        PaintPreview(form);
    }
    CountPage(state);
}

// Floors. Opening: the source copied once and each pixel looked up in a
// 32-level-per-channel table of 8-bit indexes.
void BM_Floor_OpenPreview(benchmark::State& state)
{
    const TBitmap& page = *Form().SourcePicture;
    std::vector<std::uint8_t> copy(page.RowBytes() * std::size_t(page.Height()));
    std::vector<std::uint8_t> indexes(std::size_t(page.Width()) * std::size_t(page.Height()));
    std::vector<std::uint8_t> table(32 * 32 * 32);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = std::uint8_t(i * 7);
    for (auto _ : state) {
        std::memcpy(copy.data(), page.ScanLine(0), copy.size());
        std::uint8_t* out = indexes.data();
        for (int y = 0; y < page.Height(); ++y) {
            const std::uint8_t* p = copy.data() + std::size_t(y) * page.RowBytes();
            for (int x = 0; x < page.Width(); ++x, p += 3)
                *out++ = table[(p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3];
        }
        benchmark::DoNotOptimize(indexes.data());
    }
    CountPage(state);
}

// Slider: one pass of integer grey levels split at a level into 8-bit indexes.
void BM_Floor_SliderRelease(benchmark::State& state)
{
    const TBitmap& page = *Form().SourcePicture;
    std::vector<std::uint8_t> indexes(std::size_t(page.Width()) * std::size_t(page.Height()));
    for (auto _ : state) {
        std::uint8_t* out = indexes.data();
        for (int y = 0; y < page.Height(); ++y) {
            const std::uint8_t* p = page.ScanLine(y);
            for (int x = 0; x < page.Width(); ++x, p += 3)
                *out++ = (117 * p[0] + 601 * p[1] + 306 * p[2]) >> 10 > 60 ? 255 : 0;
        }
        benchmark::DoNotOptimize(indexes.data());
    }
    CountPage(state);
}

// Trim: the 8-bit picture less its ten left columns copied row by row.
void BM_Floor_TrimClick(benchmark::State& state)
{
    const std::size_t width = 2480, height = 3508;
    std::vector<std::uint8_t> from(width * height, 1), to(width * height);
    for (auto _ : state) {
        for (std::size_t y = 0; y < height; ++y)
            std::memcpy(to.data() + y * (width - 10), from.data() + y * width + 10, width - 10);
        benchmark::DoNotOptimize(to.data());
    }
    CountPage(state);
}

}  // namespace

BENCHMARK(BM_OpenPreview)->Arg(4)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_OpenPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SliderRelease)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_SliderRelease)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrimClick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_TrimClick)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TApplication app(argc, argv);
    RegisterBuiltInServers();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
