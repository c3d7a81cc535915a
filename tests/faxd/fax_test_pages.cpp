#include "fax_test_pages.h"

#include "fax_tiff.h"

#include <random>

TFaxPage MakeDenseTestPage(unsigned seed)
{
    TFaxPage page = MakeBlankFaxPage();
    std::mt19937 random(seed);
    // Lines of "characters": 30 rows high, 24 px wide cells with random strokes.
    for (int top = 100; top + 30 < page.Height - 100; top += 40)
        for (int left = 100; left + 24 < page.Width - 100; left += 26)
            for (int stroke = 0; stroke < 5; ++stroke) {
                int x = left + static_cast<int>(random() % 20);
                int y = top + static_cast<int>(random() % 26);
                bool across = random() & 1;
                int length = 4 + static_cast<int>(random() % 16);
                for (int i = 0; i < length; ++i)
                    for (int w = 0; w < 2; ++w) {
                        int px = across ? x + i : x + w;
                        int py = across ? y + w : y + i;
                        if (px < left + 24 && py < top + 30)
                            page.SetBlack(px, py);
                    }
            }
    return page;
}

TFaxPage MakeBoxTestPage(int x0, int y0, int x1, int y1)
{
    TFaxPage page = MakeBlankFaxPage();
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            page.SetBlack(x, y);
    return page;
}

bool WriteTestTiff(const std::string& path, const std::vector<TFaxPage>& pages)
{
    TFaxTiffWriter writer;
    if (!writer.Open(path))
        return false;
    for (const TFaxPage& page : pages)
        if (!writer.AddPage(page))
            return false;
    return writer.Close();
}
