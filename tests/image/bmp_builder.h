#pragma once

#include <cstdint>
#include <vector>

// Builds BMP files byte by byte, so that tests can make every header variant
// and every kind of damage.
class TBmpBuilder {
public:
    std::uint32_t HeaderSize = 40;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::uint16_t Bits = 24;
    std::uint32_t Compression = 0;
    std::uint32_t ColorsUsed = 0;
    std::vector<std::uint32_t> Masks;     // written into the header (v4, v5) or after it (40 bytes)
    std::vector<std::uint8_t> Table;      // already in file order
    std::vector<std::uint8_t> Pixels;     // already in file order
    std::int64_t PixelOffset = -1;        // -1: right after the table

    std::vector<std::uint8_t> Bytes() const
    {
        std::vector<std::uint8_t> out = {'B', 'M'};
        std::vector<std::uint8_t> header;
        const bool core = HeaderSize == 12;
        Put(header, HeaderSize, 4);
        if (core) {
            Put(header, std::uint32_t(Width), 2);
            Put(header, std::uint32_t(Height), 2);
            Put(header, 1, 2);
            Put(header, Bits, 2);
        } else {
            Put(header, std::uint32_t(Width), 4);
            Put(header, std::uint32_t(Height), 4);
            Put(header, 1, 2);
            Put(header, Bits, 2);
            Put(header, Compression, 4);
            Put(header, std::uint32_t(Pixels.size()), 4);
            Put(header, 2835, 4);
            Put(header, 2835, 4);
            Put(header, ColorsUsed, 4);
            Put(header, 0, 4);
            if (HeaderSize > 40)
                for (std::uint32_t m : Masks)
                    Put(header, m, 4);
        }
        header.resize(HeaderSize, 0);
        if (HeaderSize == 40)
            for (std::uint32_t m : Masks)
                Put(header, m, 4);
        const std::uint32_t offset =
            PixelOffset >= 0 ? std::uint32_t(PixelOffset) : std::uint32_t(14 + header.size() + Table.size());
        Put(out, std::uint32_t(14 + header.size() + Table.size() + Pixels.size()), 4);
        Put(out, 0, 4);
        Put(out, offset, 4);
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), Table.begin(), Table.end());
        out.insert(out.end(), Pixels.begin(), Pixels.end());
        return out;
    }

    static void Put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out.push_back(std::uint8_t(v >> (8 * i)));
    }
};
