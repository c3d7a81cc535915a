#include "fax_page.h"

#include <algorithm>
#include <bit>

long TFaxPage::CountBlack(int x0, int y0, int x1, int y1) const
{
    x0 = std::clamp(x0, 0, Width);
    x1 = std::clamp(x1, 0, Width);
    y0 = std::clamp(y0, 0, Height);
    y1 = std::clamp(y1, 0, Height);
    long count = 0;
    for (int y = y0; y < y1; ++y) {
        const uint8_t* row = Row(y);
        for (int x = x0; x < x1;) {
            if ((x & 7) == 0 && x + 8 <= x1) {
                count += std::popcount(static_cast<unsigned>(row[x >> 3]));
                x += 8;
            } else {
                count += Black(x, y);
                ++x;
            }
        }
    }
    return count;
}
