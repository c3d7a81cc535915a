#include <gtest/gtest.h>

#include <filesystem>

#include "image/bmp_reader.h"
#include "image/jpeg_reader.h"
#include "image/two_colors.h"
#include "temp_dir.h"

// Inputs kept from fuzzing the readers: each goes through both readers, as
// the fuzzers fed it, and must be refused or read whole.
TEST(FuzzCases, EveryKeptInputIsReadSafely)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PELMOR_FUZZ_CASES_DIR)) {
        if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.')
            continue;
        ++count;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string bytes = ReadFileBytes(entry.path().string());
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        for (bool jpeg : {false, true}) {
            TBitmap bitmap;
            // The fuzzers' pixel limits, which these inputs were found under.
            const bool read =
                jpeg ? ReadJpeg(data, bytes.size(), bitmap, 1u << 20) : ReadBmp(data, bytes.size(), bitmap, 1u << 18);
            if (!read) {
                EXPECT_EQ(bitmap.Width(), 0);
                continue;
            }
            EXPECT_LE(std::uint64_t(bitmap.Width()) * std::uint64_t(bitmap.Height()), jpeg ? 1u << 20 : 1u << 18);
            if (bitmap.Width() > 0) {
                for (int y = 0; y < bitmap.Height(); ++y)
                    ASSERT_NE(bitmap.ScanLine(y), nullptr);
            }
            TBitmap copy(bitmap);
            copy.SetPixelFormat(pf4bit);
            FindFirstThreeColors(copy);
        }
    }
    EXPECT_GT(count, 0) << "no inputs in " << PELMOR_FUZZ_CASES_DIR;
}
