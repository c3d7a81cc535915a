#pragma once

#include "simulated_line.h"

#include <string>

// Two T.38 terminals joined in memory through UDPTL, each datagram lost with
// the given chance (a seeded generator, so a run repeats exactly). The
// calling end sends txTiff; the answering end writes rxTiff.
struct TT38PairSettings {
    double Loss = 0;       // 0..1
    unsigned Seed = 1;
    int Depth = 3;         // redundancy depth of both ends
};

TSimulatedCall RunT38Pair(const std::string& txTiff, const std::string& rxTiff, const TT38PairSettings& settings);
