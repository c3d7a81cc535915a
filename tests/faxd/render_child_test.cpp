// The render child's verdicts and the limits it runs under.
#include "render_process.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

TEST(RenderChild, ADiskThatRefusesTheFaxIsATemporaryFailure)
{
    TTempDir dir;
    std::string body = dir.WriteFile("memo.txt", "hello\n");
    // Every write to /dev/full fails as on a full disk.
    std::string out = dir / "out.part";
    ASSERT_EQ(symlink("/dev/full", out.c_str()), 0);
    testing::internal::CaptureStdout();
    int code = RunRenderChild("text", body, out);
    std::string verdict = testing::internal::GetCapturedStdout();
    EXPECT_NE(code, 0);
    EXPECT_EQ(verdict.rfind("retry ", 0), 0u) << verdict;
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}
