#include <cstring>
#include <memory>
#include <vector>

#include "durable/atomic_file.h"
#include "image/bitmap.h"

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

// File header, 40-byte information header, colour table (blue, green, red,
// 0 per entry), then the rows from the bottom up, uncompressed.
bool TBitmap::SaveToFile(const std::string& path) const
{
    const std::uint32_t tableBytes = std::uint32_t(FColorTable.size()) * 4;
    const std::uint64_t pixelBytes = std::uint64_t(FRowBytes) * std::uint64_t(FHeight);
    const std::uint64_t offset = 14 + 40 + tableBytes;
    if (offset + pixelBytes > 0xFFFFFFFFull)
        return false;

    std::vector<std::uint8_t> head;
    head.reserve(std::size_t(offset));
    head.push_back('B');
    head.push_back('M');
    Put32(head, std::uint32_t(offset + pixelBytes));
    Put32(head, 0);
    Put32(head, std::uint32_t(offset));
    Put32(head, 40);
    Put32(head, std::uint32_t(FWidth));
    Put32(head, std::uint32_t(FHeight));
    Put16(head, 1);
    Put16(head, std::uint32_t(BitsPerPixel(FFormat)));
    Put32(head, 0);  // uncompressed
    Put32(head, std::uint32_t(pixelBytes));
    Put32(head, 0);
    Put32(head, 0);
    Put32(head, std::uint32_t(FColorTable.size()));
    Put32(head, 0);
    for (TColor c : FColorTable) {
        head.push_back(std::uint8_t(c >> 16));
        head.push_back(std::uint8_t(c >> 8));
        head.push_back(std::uint8_t(c));
        head.push_back(0);
    }

    // Through a fresh file of its own (a symbolic link planted at path is
    // replaced, never written through) that takes path's place whole; a
    // failure leaves what was there before.
    TAtomicFile file;
    if (!file.Open(path, 0666, false))
        return false;
    file.SkipFlush();
    std::string chunk(reinterpret_cast<const char*>(head.data()), head.size());
    bool written = true;
    for (int y = FHeight - 1; written && y >= 0; --y) {
        chunk.append(reinterpret_cast<const char*>(ScanLine(y)), FRowBytes);
        if (chunk.size() >= (1u << 20) || y == 0) {
            written = file.Write(chunk);
            chunk.clear();
        }
    }
    return written && (FHeight > 0 || file.Write(chunk)) && file.Commit();
}
