#include "private_sane.h"

#include "image/bitmap.h"
#include "platform/library_loader.h"
#include "twain/twain_host.h"
#include "twain/twain_source.h"

#include <benchmark/benchmark.h>
#include <sane/sane.h>
#include <sane/saneopts.h>

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr double A4Width = 210, A4Height = 297;

// The page through the source manager: enable, wait for the page in memory,
// transfer it in strips into a bitmap.
void BM_MemoryTransfer(benchmark::State& state) {
    TTwainHost host;
    if (!host.OpenLibrary()) throw std::runtime_error("libpelmortwain.so not found beside the benchmark");
    host.SetSourceManagerLoaded(true);
    if (host.SourceCount() != 1) throw std::runtime_error("no test scanner");
    TTwainSource* source = host.SourceAt(0);
    source->ShowInterface = false;
    source->TransferMode = ttmMemory;
    source->SetOpened(true);
    int width = 0, height = 0;
    bool arrived = false;
    host.OnTwainAcquire = [&](void*, int, TBitmap& image, bool&) {
        width = image.Width();
        height = image.Height();
        arrived = true;
    };
    for (auto _ : state) {
        arrived = false;
        source->SetSourceEnabled(true);
        while (!arrived && source->SourceEnabled()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    state.counters["width"] = width;
    state.counters["height"] = height;
    state.SetBytesProcessed(state.iterations() * int64_t(width) * height * 3);
    host.SetLibraryLoaded(false);
}

// The floor: the same page read from SANE into one reused buffer, as scanimage
// reads it before writing it out.
void BM_SaneRead(benchmark::State& state) {
    SANE_Int version;
    sane_init(&version, nullptr);
    SANE_Handle device;
    if (sane_open("test:0", &device) != SANE_STATUS_GOOD) throw std::runtime_error("no test scanner");
    for (SANE_Int i = 1; const SANE_Option_Descriptor* option = sane_get_option_descriptor(device, i); ++i) {
        if (!option->name) continue;
        if (std::strcmp(option->name, SANE_NAME_SCAN_MODE) == 0) {
            char mode[64] = SANE_VALUE_SCAN_MODE_COLOR;
            sane_control_option(device, i, SANE_ACTION_SET_VALUE, mode, nullptr);
        } else if (std::strcmp(option->name, SANE_NAME_SCAN_RESOLUTION) == 0) {
            SANE_Word dpi = option->type == SANE_TYPE_FIXED ? SANE_FIX(200) : 200;
            sane_control_option(device, i, SANE_ACTION_SET_VALUE, &dpi, nullptr);
        }
    }
    std::vector<SANE_Byte> buffer(32 * 1024);
    int64_t bytes = 0;
    for (auto _ : state) {
        sane_start(device);
        SANE_Int length;
        while (sane_read(device, buffer.data(), SANE_Int(buffer.size()), &length) == SANE_STATUS_GOOD) bytes += length;
        sane_cancel(device);
    }
    state.SetBytesProcessed(bytes);
    sane_close(device);
    sane_exit();
}

// scanimage writing the page to /dev/null, a whole process per page.
void BM_Scanimage(benchmark::State& state) {
    for (auto _ : state)
        if (std::system("scanimage --mode Color --resolution 200 > /dev/null 2>&1") != 0)
            throw std::runtime_error("scanimage failed");
}

BENCHMARK(BM_MemoryTransfer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaneRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Scanimage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    TPrivateSane::ForThisProcess(A4Width, A4Height);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
