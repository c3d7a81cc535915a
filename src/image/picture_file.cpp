#include "image/picture_file.h"

#include "durable/unique_file.h"

#include <cstdio>
#include <memory>
#include <new>

bool ReadPictureBytes(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    TUniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return false;
    const long size = std::ftell(file.get());
    if (size < 0 || std::uint64_t(size) > MaxPictureFileBytes || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return false;
    try {
        bytes.resize(std::size_t(size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return std::fread(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}
