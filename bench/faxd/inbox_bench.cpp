// The inbox of 1,000 received faxes: the `inbox` request answered by the
// service's handler, against the floor of formatting the same records into
// a reused buffer; and the inbox read from disk at start.
#include "fax_line.h"
#include "inbox.h"
#include "inbox_requests.h"
#include "job_store.h"

#include "durable/durable_file.h"
#include "faxproto/inbox_messages.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Faxes = 1000;

TInboxFax MakeFax(int id) {
    TInboxFax fax;
    fax.Id = std::to_string(id);
    fax.Arrived = "2026-12-09T10:" + std::to_string(10 + id % 50) + ":00";
    fax.Station = "Yamada Shoji " + std::to_string(id);
    fax.Number = "03" + std::to_string(12340000 + id);
    fax.Pages = 1 + id % 7;
    fax.Line = "hylafax";
    fax.Read = id % 3 == 0;
    fax.Source = "hylafax://fax.example:4559/recvq/fax" + std::to_string(id) + ".tif";
    return fax;
}

// A data folder with 1,000 faxes in Inbox/ (their pages one shared file).
const std::string& DataDir() {
    static std::string dir = [] {
        fs::path root = fs::temp_directory_path() / ("pelmor-inbox-bench-" + std::to_string(getpid()));
        fs::create_directories(root / "Inbox");
        std::string pages = (root / "pages.tif").string();
        WriteFileDurably(pages, "II*\0");
        for (int id = 1; id <= Faxes; ++id) {
            std::string stem = (root / "Inbox" / std::to_string(id)).string();
            std::FILE* file = std::fopen((stem + ".json").c_str(), "w");
            std::fputs(EncodeJson(InboxFaxObject(MakeFax(id), true)).c_str(), file);
            std::fclose(file);
            fs::create_hard_link(pages, stem + ".tif");
        }
        return root.string();
    }();
    return dir;
}

class TNoLine : public TFaxLine {
public:
    std::string Name() const override { return "simulated"; }
    bool Simulated() const override { return true; }
    TLineStatus Send(const TLineJob&) override { return {}; }
};

void BM_InboxRequestAnswered(benchmark::State& state) {
    TInbox inbox(DataDir());
    std::string error;
    if (!inbox.Open(error)) state.SkipWithError(error.c_str());
    TJobStore store(DataDir());
    TNoLine line;
    std::string answer;
    TInboxRequests requests(inbox, store, line, "", {}, [&answer](TConnectionId, const std::string& text) { answer = text; });
    for (auto _ : state) {
        requests.Handle(1, R"({"op":"inbox"})");
        benchmark::DoNotOptimize(answer.data());
    }
    state.counters["faxes"] = static_cast<double>(inbox.List().size());
    state.counters["bytes"] = static_cast<double>(answer.size());
}
BENCHMARK(BM_InboxRequestAnswered)->Unit(benchmark::kMillisecond);

// The floor: the same records printed into one reused buffer.
void BM_InboxListingFloor(benchmark::State& state) {
    std::vector<TInboxFax> faxes;
    for (int id = Faxes; id >= 1; --id) faxes.push_back(MakeFax(id));
    std::string buffer;
    char line[512];
    for (auto _ : state) {
        buffer.clear();
        for (const TInboxFax& fax : faxes) {
            int length = std::snprintf(line, sizeof line,
                                       "{\"arrived\":\"%s\",\"id\":\"%s\",\"line\":\"%s\",\"number\":\"%s\",\"pages\":%lld,"
                                       "\"read\":%s,\"simulated\":false,\"station\":\"%s\"},",
                                       fax.Arrived.c_str(), fax.Id.c_str(), fax.Line.c_str(), fax.Number.c_str(),
                                       static_cast<long long>(fax.Pages), fax.Read ? "true" : "false",
                                       fax.Station.c_str());
            buffer.append(line, static_cast<size_t>(length));
        }
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_InboxListingFloor)->Unit(benchmark::kMillisecond);

// Reading the 1,000 records at start.
void BM_InboxOpened(benchmark::State& state) {
    for (auto _ : state) {
        TInbox inbox(DataDir());
        std::string error;
        if (!inbox.Open(error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(inbox.List().size());
    }
}
BENCHMARK(BM_InboxOpened)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(DataDir(), ec);
    return 0;
}
