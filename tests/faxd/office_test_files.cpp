#include "office_test_files.h"

#include <cstdint>

namespace {

void Put(std::string& out, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
}

void PutAt(std::string& out, size_t at, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

} // namespace

std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string zip, directory;
    for (const auto& [name, content] : entries) {
        uint32_t offset = static_cast<uint32_t>(zip.size());
        auto common = [&](std::string& out) {
            Put(out, 20, 2); // version needed
            Put(out, 0, 2);  // flags
            Put(out, 0, 2);  // stored
            Put(out, 0, 4);  // time, date
            Put(out, 0, 4);  // CRC (not checked here)
            Put(out, static_cast<uint32_t>(content.size()), 4);
            Put(out, static_cast<uint32_t>(content.size()), 4);
            Put(out, static_cast<uint32_t>(name.size()), 2);
            Put(out, 0, 2); // extra
        };
        Put(zip, 0x04034B50, 4);
        common(zip);
        zip += name + content;
        Put(directory, 0x02014B50, 4);
        Put(directory, 20, 2); // made by
        common(directory);
        Put(directory, 0, 2);  // comment
        Put(directory, 0, 4);  // disk, internal attributes
        Put(directory, 0, 4);  // external attributes
        Put(directory, offset, 4);
        directory += name;
    }
    uint32_t directoryOffset = static_cast<uint32_t>(zip.size());
    zip += directory;
    Put(zip, 0x06054B50, 4);
    Put(zip, 0, 4);
    Put(zip, static_cast<uint32_t>(entries.size()), 2);
    Put(zip, static_cast<uint32_t>(entries.size()), 2);
    Put(zip, static_cast<uint32_t>(directory.size()), 4);
    Put(zip, directoryOffset, 4);
    Put(zip, 0, 2);
    return zip;
}

std::string MakeCompoundFile(const std::string& streamName)
{
    // Header, sector 0 the allocation table, sector 1 the directory.
    std::string file(512 * 3, '\0');
    file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    PutAt(file, 0x1A, 3, 2);      // major version
    PutAt(file, 0x1C, 0xFFFE, 2); // byte order
    PutAt(file, 0x1E, 9, 2);      // 512-byte sectors
    PutAt(file, 0x20, 6, 2);
    PutAt(file, 0x2C, 1, 4);          // one table sector
    PutAt(file, 0x30, 1, 4);          // directory in sector 1
    PutAt(file, 0x44, 0xFFFFFFFE, 4); // no further table list
    for (int i = 0; i < 109; ++i)
        PutAt(file, 0x4C + 4 * i, i == 0 ? 0 : 0xFFFFFFFF, 4);
    for (int i = 0; i < 128; ++i)
        PutAt(file, 512 + 4 * i, i == 0 ? 0xFFFFFFFD : i == 1 ? 0xFFFFFFFE : 0xFFFFFFFF, 4);
    auto entry = [&](int index, const std::string& name, int type) {
        size_t at = 1024 + 128 * index;
        for (size_t i = 0; i < name.size(); ++i)
            file[at + 2 * i] = name[i];
        PutAt(file, at + 0x40, static_cast<uint32_t>(2 * (name.size() + 1)), 2);
        file[at + 0x42] = static_cast<char>(type);
    };
    entry(0, "Root Entry", 5);
    entry(1, streamName, 2);
    return file;
}
