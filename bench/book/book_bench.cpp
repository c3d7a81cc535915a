// The destination book at 10,000 destinations: listing with the grid refill,
// the writes, and the compaction at quit.
#include "app/app_state.h"
#include "automation/jet/jet_servers.h"
#include "automation/server_registry.h"
#include "book/book_grid.h"
#include "book/book_statements.h"
#include "book/destination_book.h"

#include <benchmark/benchmark.h>

#ifdef PELMOR_BENCH_STRING_GRID
#include "book/string_grid.h"

#include <QApplication>
#endif

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int BookSize = 10000;

#ifdef PELMOR_BENCH_STRING_GRID
// The main window's grid itself, on the offscreen platform.
using TBenchGrid = TStringGrid;
#else
class TVectorGrid : public TBookGrid {
public:
    int RowCount() const override { return static_cast<int>(Rows.size()); }
    void SetRowCount(int rows) override { Rows.resize(static_cast<size_t>(rows)); }
    std::string Cell(int column, int row) const override { return Rows[static_cast<size_t>(row)][static_cast<size_t>(column)]; }
    void SetCell(int column, int row, const std::string& text) override {
        Rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    }
    std::vector<std::array<std::string, 5>> Rows;
};
using TBenchGrid = TVectorGrid;
#endif

const char* const Kana[] = {"あ", "イ", "う", "エ", "お", "か", "キ", "く", "け", "コ", "さ", "し"};

std::string NameOf(int i) {
    return std::string(Kana[i % 12]) + Kana[(i / 12) % 12] + Kana[(i / 144) % 12] + "商事" + std::to_string(i);
}
std::string NumberOf(int i) { return std::to_string(3000000000LL + i); }

// A folder holding a book of BookSize destinations, made once per process.
class TBenchBook {
public:
    TBenchBook() {
        RegisterJetServers();
        char pattern[] = "/tmp/pelmor-bench-XXXXXX";
        Folder = mkdtemp(pattern);
        InitAppPaths(Folder);
        BookGrid = &Grid;
        CreateBook();
        TVariant connection = CreateObject("ADODB.Connection");
        connection.Call("Open", {JetConnectionString(BookPath())});
        connection.Call("BeginTrans");
        for (int i = 0; i < BookSize; ++i) connection.Call("Execute", {InsertStatement(NameOf(i), NumberOf(i))});
        connection.Call("CommitTrans");
        connection.Call("Close");
    }
    ~TBenchBook() {
        BookGrid = nullptr;
        std::filesystem::remove_all(Folder);
    }
    std::string Folder;
    TBenchGrid Grid;
};

TBenchBook& Book() {
    static TBenchBook book;
    return book;
}

void BM_ListAndRefill(benchmark::State& state) {
    Book();
    for (auto _ : state)
        if (!UpdateBook(baList)) state.SkipWithError("list failed");
    state.counters["rows"] = static_cast<double>(Book().Grid.RowCount());
}
BENCHMARK(BM_ListAndRefill)->Unit(benchmark::kMillisecond);

void BM_AddIfNewKnownNumber(benchmark::State& state) {
    Book();
    for (auto _ : state)
        if (UpdateBook(baAddIfNew, "既知", NumberOf(5000))) state.SkipWithError("a known number was added");
}
BENCHMARK(BM_AddIfNewKnownNumber)->Unit(benchmark::kMillisecond);

void BM_AddIfNewNewNumberWithRefill(benchmark::State& state) {
    Book();
    int next = 0;
    for (auto _ : state) {
        std::string number = std::to_string(4000000000LL + next++);
        if (!UpdateBook(baAddIfNew, "新規", number)) state.SkipWithError("add failed");
        state.PauseTiming();
        UpdateBook(baDelete, "", number);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddIfNewNewNumberWithRefill)->Unit(benchmark::kMillisecond);

void BM_ReplaceWithRefill(benchmark::State& state) {
    Book();
    int turn = 0;
    for (auto _ : state)
        if (!UpdateBook(baReplace, "訂正" + std::to_string(turn++), NumberOf(1234), NumberOf(1234)))
            state.SkipWithError("replace failed");
}
BENCHMARK(BM_ReplaceWithRefill)->Unit(benchmark::kMillisecond);

// The writes alone, as UpdateBook issues them, without the refill that follows.
void BM_WriteOnlyAddIfNewNewNumber(benchmark::State& state) {
    Book();
    int next = 0;
    for (auto _ : state) {
        std::string number = std::to_string(5000000000LL + next++);
        TVariant connection = CreateObject("ADODB.Connection");
        connection.Call("Open", {JetConnectionString(BookPath())});
        TVariant recordset = CreateObject("ADODB.Recordset");
        recordset.Call("Open", {LookUpStatement(number), connection});
        bool known = !recordset.Get("EOF").AsBool();
        recordset.Call("Close");
        if (!known) connection.Call("Execute", {InsertStatement("新規", number)});
        connection.Call("Close");
        state.PauseTiming();
        UpdateBook(baDelete, "", number);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WriteOnlyAddIfNewNewNumber)->Unit(benchmark::kMillisecond);

void BM_WriteOnlyReplace(benchmark::State& state) {
    Book();
    int turn = 0;
    for (auto _ : state) {
        TVariant connection = CreateObject("ADODB.Connection");
        connection.Call("Open", {JetConnectionString(BookPath())});
        connection.Call("BeginTrans");
        connection.Call("Execute", {DeleteStatement(NumberOf(4321))});
        connection.Call("Execute", {DeleteStatement(NumberOf(4321))});
        connection.Call("Execute", {InsertStatement("訂正" + std::to_string(turn++), NumberOf(4321))});
        connection.Call("CommitTrans");
        connection.Call("Close");
    }
}
BENCHMARK(BM_WriteOnlyReplace)->Unit(benchmark::kMillisecond);

void BM_CompactBook(benchmark::State& state) {
    Book();
    for (auto _ : state)
        if (!CompactBook(BookPath(), BookTempPath())) state.SkipWithError("compaction failed");
}
BENCHMARK(BM_CompactBook)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
#ifdef PELMOR_BENCH_STRING_GRID
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
