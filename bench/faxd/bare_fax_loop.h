#pragma once

#include <string>

// spandsp's own back-to-back test loop and nothing else: two fax terminals
// exchanging audio in memory, with default settings apart from the modems
// and ECM the service uses. The yardstick for the service's simulated line.
// Returns the samples exchanged (8000 a second of line time), 0 on failure.
long RunBareFaxLoop(const std::string& txTiff, const std::string& rxTiff);
