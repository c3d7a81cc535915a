// Converting a one-page .doc and a 200-row .xls: the first conversion of a
// fresh converter (a LibreOffice of its own, with a new or a kept profile),
// the following ones (resident LibreOffice), and one LibreOffice per call
// throughout (no python3-uno).
#include "office_fixtures.h"
#include "temp_dir.h"

#include "automation/office/printer_text.h"
#include "send/office_text.h"

#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

struct TBenchDocuments {
    TTempDir Folder;
    std::string Letter;
    std::string Sheet;
};

const TBenchDocuments& Documents() {
    static TBenchDocuments* documents = [] {
        auto* made = new TBenchDocuments;
        std::string body;
        for (int line = 1; line <= 40; ++line)
            body += "<p>" + std::to_string(line) + "行目：いつもお世話になっております。来週の打ち合わせの件でご連絡します。</p>";
        std::vector<std::string> letter = MakeWordDocuments(made->Folder.Path().string(), {{"letter", body}});
        std::string csv = "品番,品名,数量,単価,納品日\n";
        for (int row = 1; row <= 200; ++row)
            csv += "A-" + std::to_string(1000 + row) + ",部品" + std::to_string(row) + "（標準）," +
                   std::to_string(row * 3) + "," + std::to_string(row * 125) + ".5,2024-" +
                   std::to_string(1 + row % 12) + "-" + std::to_string(1 + row % 28) + "\n";
        std::vector<std::string> sheet = MakeExcelWorkbooks(made->Folder.Path().string(), {{"sheet", csv}});
        if (letter.size() == 1) made->Letter = letter[0];
        if (sheet.size() == 1) made->Sheet = sheet[0];
        return made;
    }();
    return *documents;
}

bool Convert(bool word, const std::string& destination) {
    return word ? WordToText(Documents().Letter, destination) : ExcelToText(Documents().Sheet, destination);
}

bool Ready(benchmark::State& state) {
    if (!OfficeInstalled() || Documents().Letter.empty() || Documents().Sheet.empty()) {
        state.SkipWithError("LibreOffice is not installed here");
        return false;
    }
    return true;
}

// Each iteration: a new converter, one conversion. With keptProfile, the
// profile of the previous iteration is used again, as at the first conversion
// after the application starts; otherwise LibreOffice makes a new one, as at
// the very first conversion.
void BM_Cold(benchmark::State& state, bool word, bool resident, bool keptProfile) {
    if (!Ready(state)) return;
    TTempDir folder;
    if (keptProfile) {
        TOfficeOptions options;
        options.FolderRoot = folder.Path().string();
        options.ProfileRoot = folder / "profiles";
        options.UseResident = resident;
        auto converter = std::make_shared<TOfficeConverter>(options);
        TOfficeServersOverride servers(converter);
        Convert(word, folder / "out.txt");
    }
    for (auto _ : state) {
        TOfficeOptions options;
        options.FolderRoot = folder.Path().string();
        if (keptProfile) options.ProfileRoot = folder / "profiles";
        options.UseResident = resident;
        auto converter = std::make_shared<TOfficeConverter>(options);
        TOfficeServersOverride servers(converter);
        if (!Convert(word, folder / "out.txt")) state.SkipWithError("conversion failed");
        state.PauseTiming();
        converter->Shutdown();
        state.ResumeTiming();
    }
}

// One converter; the first conversion happens before timing starts.
void BM_Warm(benchmark::State& state, bool word, bool resident) {
    if (!Ready(state)) return;
    TTempDir folder;
    TOfficeOptions options;
    options.FolderRoot = folder.Path().string();
    options.ProfileRoot = folder / "profiles";
    options.UseResident = resident;
    auto converter = std::make_shared<TOfficeConverter>(options);
    TOfficeServersOverride servers(converter);
    if (!Convert(word, folder / "out.txt")) state.SkipWithError("conversion failed");
    if (resident && !converter->StartResident()) state.SkipWithError("no resident LibreOffice");
    for (auto _ : state)
        if (!Convert(word, folder / "out.txt")) state.SkipWithError("conversion failed");
}

void BM_Shutdown(benchmark::State& state) {
    if (!Ready(state)) return;
    TTempDir folder;
    for (auto _ : state) {
        state.PauseTiming();
        TOfficeOptions options;
        options.FolderRoot = folder.Path().string();
        auto converter = std::make_shared<TOfficeConverter>(options);
        TOfficeServersOverride servers(converter);
        Convert(true, folder / "out.txt");
        converter->StartResident();
        state.ResumeTiming();
        converter->Shutdown();
    }
}

void BM_LayoutPrinterText(benchmark::State& state) {
    std::string csv;
    for (int row = 0; row < 200; ++row)
        csv += "\"A-" + std::to_string(row) + "\",\"部品（標準）\"," + std::to_string(row * 3) + ",2024-01-01\n";
    for (auto _ : state) benchmark::DoNotOptimize(LayoutPrinterText(ParseSheetCsv(csv)));
}

} // namespace

BENCHMARK_CAPTURE(BM_Cold, doc_resident_new_profile, true, true, false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_Cold, doc_resident_kept_profile, true, true, true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_Warm, doc_resident, true, true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK_CAPTURE(BM_Cold, xls_resident_new_profile, false, true, false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_Cold, xls_resident_kept_profile, false, true, true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_Warm, xls_resident, false, true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK_CAPTURE(BM_Cold, doc_per_call_new_profile, true, false, false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_Warm, doc_per_call, true, false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_Cold, xls_per_call_new_profile, false, false, false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_Warm, xls_per_call, false, false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Shutdown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LayoutPrinterText)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
