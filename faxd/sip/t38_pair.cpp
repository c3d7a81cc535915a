#include "t38_pair.h"

#include "t38_endpoint.h"

#include <random>
#include <vector>

namespace {

constexpr int TickSamples = 160;
constexpr long MaxCallSamples = 60L * 60 * 8000;

} // namespace

TSimulatedCall RunT38Pair(const std::string& txTiff, const std::string& rxTiff, const TT38PairSettings& settings)
{
    TSimulatedCall call;
    std::mt19937 random(settings.Seed);
    std::bernoulli_distribution lost(settings.Loss);
    std::vector<TBytes> toAnswerer, toCaller;
    auto path = [&](std::vector<TBytes>& queue) {
        return [&queue, &lost, &random](const TBytes& datagram) {
            if (!lost(random))
                queue.push_back(datagram);
        };
    };
    TT38Endpoint caller(true, "pelmor-faxd", path(toAnswerer), settings.Depth);
    TT38Endpoint answerer(false, "pelmor-faxd-rx", path(toCaller), settings.Depth);
    if (!caller.Valid() || !answerer.Valid()) {
        call.Error = "cannot start the T.38 terminals";
        return call;
    }
    SetPageFile(caller.T30(), true, txTiff);
    SetPageFile(answerer.T30(), false, rxTiff);

    std::vector<TBytes> delivering;
    while (!(caller.End().Ended && answerer.End().Ended) && call.Samples < MaxCallSamples) {
        caller.Advance(TickSamples);
        answerer.Advance(TickSamples);
        delivering.swap(toAnswerer);
        for (const TBytes& datagram : delivering)
            answerer.Datagram(datagram.data(), datagram.size());
        delivering.clear();
        delivering.swap(toCaller);
        for (const TBytes& datagram : delivering)
            caller.Datagram(datagram.data(), datagram.size());
        delivering.clear();
        call.Samples += TickSamples;
    }

    SummariseCall(call, caller.T30(), caller.End(), answerer.T30(), answerer.End());
    return call;
}
