#include "fax_test_pages.h"
#include "fax_tiff.h"
#include "t38_pair.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

// A dense page between two T.38 terminals whose datagrams are lost at random:
// with three earlier IFPs in every datagram, ECM and T.30's own repeats mend
// the rest and the page arrives whole.
TEST(T38Pair, DensePageArrivesWholeThroughLoss)
{
    TTempDir dir;
    std::vector<TFaxPage> pages = {MakeDenseTestPage(3)};
    ASSERT_TRUE(WriteTestTiff(dir / "tx.tif", pages));
    for (double loss : {0.05, 0.10, 0.20}) {
        SCOPED_TRACE(loss);
        std::string rx = dir / ("rx" + std::to_string(int(loss * 100)) + ".tif");
        TSimulatedCall call = RunT38Pair(dir / "tx.tif", rx, {loss, 20, 3});
        ASSERT_TRUE(call.Completed) << call.Error;
        EXPECT_EQ(call.PagesReceived, 1);
        EXPECT_EQ(call.BitRate, 14400);
        std::vector<TFaxPage> received;
        std::string error;
        ASSERT_TRUE(ReadFaxTiff(rx, received, error)) << error;
        ASSERT_EQ(received.size(), 1u);
        EXPECT_TRUE(received[0] == pages[0]);
    }
}
