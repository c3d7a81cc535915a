#include "simulated_line.h"

#include "fax_tiff.h"
#include "t30_setup.h"

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

namespace {

constexpr int SampleRate = 8000;
constexpr int BlockSamples = 160;
// A call that has not ended after this much line time has hung.
constexpr long MaxCallSamples = 60L * 60 * SampleRate;

// One fax terminal and its state, owned here and released when it dies.
class TTerminal {
public:
    explicit TTerminal(bool calling) : Fax(fax_init(nullptr, calling)) {}
    ~TTerminal() { if (Fax) fax_free(Fax); }
    TTerminal(const TTerminal&) = delete;
    TTerminal& operator=(const TTerminal&) = delete;

    bool Valid() const { return Fax != nullptr; }
    fax_state_t* Fax;
    TCallEnd End;

    t30_state_t* T30() const { return fax_get_t30_state(Fax); }

    void Configure(const char* ident)
    {
        fax_set_transmit_on_idle(Fax, 1);
        span_log_set_level(fax_get_logging_state(Fax), SPAN_LOG_NONE);
        ConfigureT30(T30(), ident, &End);
    }
};

} // namespace

TSimulatedCall RunSimulatedCall(const std::string& txTiff, const std::string& rxTiff, const std::string& number,
                                bool realPace, const std::atomic<bool>* abort, const std::string& callerId)
{
    TSimulatedCall call;
    TTerminal caller(true);
    TTerminal answerer(false);
    if (!caller.Valid() || !answerer.Valid()) {
        call.Error = "cannot start the fax terminals";
        return call;
    }
    caller.Configure(callerId.substr(0, 20).c_str());
    answerer.Configure(number.substr(0, 20).c_str());
    t30_set_tx_file(caller.T30(), txTiff.c_str(), -1, -1);
    t30_set_rx_file(answerer.T30(), rxTiff.c_str(), -1);
    t30_set_rx_encoding(answerer.T30(), T4_COMPRESSION_ITU_T6);

    int16_t toAnswerer[BlockSamples];
    int16_t toCaller[BlockSamples];
    auto started = std::chrono::steady_clock::now();
    while (!(caller.End.Ended && answerer.End.Ended) && call.Samples < MaxCallSamples) {
        if (abort && abort->load()) {
            call.Aborted = true;
            call.Error = "cancelled";
            return call;
        }
        if (realPace)
            std::this_thread::sleep_until(started + std::chrono::microseconds(call.Samples * 1000000 / SampleRate));
        int sent = fax_tx(caller.Fax, toAnswerer, BlockSamples);
        for (int i = sent; i < BlockSamples; ++i)
            toAnswerer[i] = 0;
        int answered = fax_tx(answerer.Fax, toCaller, BlockSamples);
        for (int i = answered; i < BlockSamples; ++i)
            toCaller[i] = 0;
        fax_rx(answerer.Fax, toAnswerer, BlockSamples);
        fax_rx(caller.Fax, toCaller, BlockSamples);
        call.Samples += BlockSamples;
    }

    SummariseCall(call, caller.T30(), caller.End, answerer.T30(), answerer.End);
    return call;
}

void SummariseCall(TSimulatedCall& call, t30_state_t* caller, const TCallEnd& callerEnd, t30_state_t* answerer,
                   const TCallEnd& answererEnd)
{
    t30_stats_t sent{};
    t30_stats_t received{};
    t30_get_transfer_statistics(caller, &sent);
    t30_get_transfer_statistics(answerer, &received);
    call.PagesSent = sent.pages_tx;
    call.PagesReceived = received.pages_rx;
    call.BitRate = sent.bit_rate;
    call.Ecm = sent.error_correcting_mode != 0;
    if (const char* ident = t30_get_rx_ident(caller))
        call.StationId = ident;

    if (!callerEnd.Ended || !answererEnd.Ended)
        call.Error = "the call did not end";
    else if (callerEnd.Code != T30_ERR_OK)
        call.Error = CompletionText(callerEnd.Code);
    else if (answererEnd.Code != T30_ERR_OK)
        call.Error = "far end: " + CompletionText(answererEnd.Code);
    else
        call.Completed = true;
}

TLineStatus TSimulatedLine::Send(const TLineJob& job)
{
    namespace fs = std::filesystem;
    TLineStatus status;
    std::string rxPath = (fs::path(job.WorkDir) / (job.Id + ".rx.tif")).string();
    std::error_code ignored;
    fs::remove(rxPath, ignored);
    if (BusyNumbers.count(job.Number) && Calls[job.Number]++ % 2 == 0) {
        status.State = lsFailed;
        status.Text = "busy";
        return status;
    }

    TSimulatedCall call = RunSimulatedCall(job.TiffPath, rxPath, job.Number, RealPace, job.Abort);
    if (call.Aborted) {
        fs::remove(rxPath, ignored);
        status.State = lsAborted;
        status.Text = call.Error;
        return status;
    }
    status.StationId = call.StationId;
    status.Pages = call.PagesSent;
    status.BitRate = call.BitRate;
    status.LineSeconds = static_cast<double>(call.Samples) / SampleRate;
    status.State = lsFailed;
    if (!call.Completed) {
        status.Text = call.Error;
    } else {
        std::vector<TFaxPage> sentPages, receivedPages;
        std::string error;
        if (!ReadFaxTiff(job.TiffPath, sentPages, error))
            status.Text = "cannot read the sent pages: " + error;
        else if (!ReadFaxTiff(rxPath, receivedPages, error))
            status.Text = "far end: cannot read the received pages: " + error;
        else if (receivedPages.size() != sentPages.size())
            status.Text = "far end received " + std::to_string(receivedPages.size()) + " of "
                + std::to_string(sentPages.size()) + " pages";
        else if (receivedPages != sentPages)
            status.Text = "far end received pages that differ from those sent";
        else
            status.State = lsDone;
    }
    if (status.State == lsDone && !job.ReceivedDir.empty()) {
        fs::path target = fs::path(job.ReceivedDir) / (job.Id + ".tif");
        fs::rename(rxPath, target, ignored);
        if (ignored)
            fs::remove(rxPath, ignored);
    } else {
        fs::remove(rxPath, ignored);
    }
    if (status.State == lsDone)
        status.Text = "sent (simulated)";
    return status;
}

std::unique_ptr<TFaxLine> MakeSimulatedLine(const TLineOptions& options, std::string& error)
{
    bool realPace = false;
    std::set<std::string> busy;
    for (const auto& [key, value] : options) {
        if (key == "pace") {
            if (value != "fast" && value != "real") {
                error = "invalid --simulated-pace (fast or real): " + value;
                return nullptr;
            }
            realPace = value == "real";
        } else if (key == "busy") {
            std::string list = value;
            std::replace(list.begin(), list.end(), ',', ' ');
            std::istringstream numbers(list);
            for (std::string number; numbers >> number;) {
                if (number.find_first_not_of("0123456789") != std::string::npos) {
                    error = "invalid number in --simulated-busy: " + number;
                    return nullptr;
                }
                busy.insert(number);
            }
        } else {
            error = "unknown option --simulated-" + key + " (known: pace, busy)";
            return nullptr;
        }
    }
    return std::make_unique<TSimulatedLine>(realPace, std::move(busy));
}
