#pragma once

#include "fax_line.h"
#include "t30_setup.h"

#include <map>
#include <set>

// The default line: nothing leaves the machine. Each job is transmitted by
// T.30 between two spandsp fax terminals joined by a simulated telephone line
// (audio samples exchanged in memory), at the fastest modem both offer. The
// far end's TIFF goes to the job's ReceivedDir as <id>.tif; the job fails when
// either end reports an error or the far end's pages differ from those sent.
// Options: pace ("fast", the default: as fast as the processor goes; "real":
// the call takes its real line time, so that it can be watched and
// cancelled) and busy (numbers, separated by commas or spaces, that answer
// busy every other call, the first one included, so that a failure and a
// resend that goes through can be tried out).
class TSimulatedLine : public TFaxLine {
public:
    explicit TSimulatedLine(bool realPace = false, std::set<std::string> busyNumbers = {})
        : RealPace(realPace), BusyNumbers(std::move(busyNumbers)) {}
    std::string Name() const override { return "simulated"; }
    bool Simulated() const override { return true; }
    TLineStatus Send(const TLineJob& job) override;

private:
    bool RealPace;
    std::set<std::string> BusyNumbers;
    std::map<std::string, int> Calls; // to each busy number
};

// The factory registered under "simulated".
std::unique_ptr<TFaxLine> MakeSimulatedLine(const TLineOptions& options, std::string& error);

// What one simulated call did.
struct TSimulatedCall {
    bool Completed = false;  // both ends finished without error
    std::string Error;       // why not, in words
    int PagesSent = 0;
    int PagesReceived = 0;
    int BitRate = 0;
    bool Ecm = false;
    long Samples = 0;        // audio samples exchanged each way (8000 per second of line time)
    std::string StationId;   // the id the answering terminal announced
    bool Aborted = false;    // cut short through abort
};

// Runs one call: the calling terminal (announcing callerId) sends txTiff,
// the answering terminal (announcing the number as its id) writes what it
// receives to rxTiff. With realPace the call takes its line time on the
// clock; it ends early, Aborted, as soon as *abort (when given) turns true.
TSimulatedCall RunSimulatedCall(const std::string& txTiff, const std::string& rxTiff, const std::string& number,
                                bool realPace = false, const std::atomic<bool>* abort = nullptr,
                                const std::string& callerId = "pelmor-faxd");

// Fills call's pages, bit rate and outcome from the two terminals at its end.
void SummariseCall(TSimulatedCall& call, t30_state_t* caller, const TCallEnd& callerEnd, t30_state_t* answerer,
                   const TCallEnd& answererEnd);
