#include "fax_test_pages.h"
#include "fax_tiff.h"
#include "simulated_line.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(FaxTiff, PagesSurviveWritingAndReading)
{
    TTempDir dir;
    std::vector<TFaxPage> pages = {MakeDenseTestPage(1), MakeBoxTestPage(10, 20, 300, 400)};
    ASSERT_TRUE(WriteTestTiff(dir / "a.tif", pages));
    std::vector<TFaxPage> back;
    std::string error;
    ASSERT_TRUE(ReadFaxTiff(dir / "a.tif", back, error)) << error;
    ASSERT_EQ(back.size(), 2u);
    EXPECT_TRUE(back[0] == pages[0]);
    EXPECT_TRUE(back[1] == pages[1]);
    EXPECT_EQ(CountTiffPages(dir / "a.tif"), 2);
}

TEST(FaxTiff, ReadingGarbageFailsWithAnError)
{
    TTempDir dir;
    std::vector<TFaxPage> pages;
    std::string error;
    EXPECT_FALSE(ReadFaxTiff(dir.WriteFile("x.tif", "II*\0garbage garbage"), pages, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ReadFaxTiff(dir / "missing.tif", pages, error));
    EXPECT_EQ(CountTiffPages(dir / "missing.tif"), 0);
}

TEST(SimulatedLine, FarEndReceivesThePagesSent)
{
    TTempDir dir;
    fs::create_directories(dir.Path() / "work");
    fs::create_directories(dir.Path() / "received");
    std::vector<TFaxPage> pages = {MakeDenseTestPage(7), MakeBoxTestPage(200, 300, 1500, 900)};
    ASSERT_TRUE(WriteTestTiff(dir / "job.tif", pages));

    TSimulatedLine line;
    TLineJob job{"42", "0312345678", dir / "job.tif", 2, "", dir / "work", dir / "received"};
    TLineStatus status = line.Send(job);
    ASSERT_EQ(status.State, lsDone) << status.Text;
    EXPECT_EQ(status.Pages, 2);
    EXPECT_EQ(status.BitRate, 14400);
    EXPECT_GT(status.LineSeconds, 10.0);

    std::vector<TFaxPage> received;
    std::string error;
    ASSERT_TRUE(ReadFaxTiff(dir / "received/42.tif", received, error)) << error;
    ASSERT_EQ(received.size(), pages.size());
    EXPECT_TRUE(received[0] == pages[0]);
    EXPECT_TRUE(received[1] == pages[1]);
    EXPECT_FALSE(fs::exists(dir / "work/42.rx.tif"));
}

TEST(SimulatedLine, UnreadableDocumentFailsTheJob)
{
    TTempDir dir;
    TSimulatedLine line;
    TLineJob job{"1", "0312345678", dir.WriteFile("bad.tif", "not a tiff"), 1, "", dir.Path().string(),
                 dir.Path().string()};
    TLineStatus status = line.Send(job);
    EXPECT_EQ(status.State, lsFailed);
    EXPECT_FALSE(status.Text.empty());
    EXPECT_FALSE(fs::exists(dir / "1.tif"));
}

TEST(FaxLineRegistry, SimulatedIsKnownAndRefusesOptions)
{
    std::string error;
    auto line = MakeFaxLine("simulated", {}, error);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->Simulated());
    EXPECT_EQ(line->Name(), "simulated");
    EXPECT_FALSE(MakeFaxLine("simulated", {{"host", "x"}}, error));
    EXPECT_NE(error.find("host"), std::string::npos);
    EXPECT_FALSE(MakeFaxLine("carrier-pigeon", {}, error));
    EXPECT_NE(error.find("simulated"), std::string::npos);
    EXPECT_TRUE(IsFaxLineName("simulated"));
}

TEST(SimulatedLine, BusyNumbersAnswerEveryOtherCallAndACancelledCallStops)
{
    TTempDir dir;
    ASSERT_TRUE(WriteTestTiff(dir / "job.tif", {MakeBoxTestPage(10, 20, 300, 400)}));
    std::string error;
    auto line = MakeFaxLine("simulated", {{"busy", "0399999999, 0311112222"}, {"pace", "real"}}, error);
    ASSERT_TRUE(line) << error;
    std::atomic<bool> abort{false};
    TLineJob job{"5", "0399999999", dir / "job.tif", 1, "", dir.Path().string(), dir.Path().string(), &abort};
    TLineStatus first = line->Send(job);
    EXPECT_EQ(first.State, lsFailed);
    EXPECT_EQ(first.Text, "busy");
    abort = true; // the second call would answer: cut it at once
    TLineStatus second = line->Send(job);
    EXPECT_EQ(second.State, lsAborted);
    EXPECT_FALSE(fs::exists(dir / "5.rx.tif"));
    EXPECT_FALSE(fs::exists(dir / "5.tif"));

    EXPECT_FALSE(MakeFaxLine("simulated", {{"pace", "slow"}}, error));
    EXPECT_FALSE(MakeFaxLine("simulated", {{"busy", "03-1234"}}, error));
}
