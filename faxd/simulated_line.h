#pragma once

#include "fax_line.h"
#include "t30_setup.h"

// The default line: nothing leaves the machine. Each job is transmitted by
// T.30 between two spandsp fax terminals joined by a simulated telephone line
// (audio samples exchanged in memory), at the fastest modem both offer. The
// far end's TIFF goes to the job's ReceivedDir as <id>.tif; the job fails when
// either end reports an error or the far end's pages differ from those sent.
class TSimulatedLine : public TFaxLine {
public:
    std::string Name() const override { return "simulated"; }
    bool Simulated() const override { return true; }
    TLineStatus Send(const TLineJob& job) override;
};

// The factory registered under "simulated"; it takes no options.
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
};

// Runs one call: the calling terminal sends txTiff, the answering terminal
// writes what it receives to rxTiff.
TSimulatedCall RunSimulatedCall(const std::string& txTiff, const std::string& rxTiff,
                                const std::string& number);

// Fills call's pages, bit rate and outcome from the two terminals at its end.
void SummariseCall(TSimulatedCall& call, t30_state_t* caller, const TCallEnd& callerEnd, t30_state_t* answerer,
                   const TCallEnd& answererEnd);
