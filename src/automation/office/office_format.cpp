#include "automation/office/office_format.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>
#include <vector>

namespace {

// Reads count bytes at offset; false when the file is shorter.
bool ReadAt(std::ifstream& in, uint64_t offset, size_t count, std::string& bytes) {
    bytes.assign(count, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    return in.read(bytes.data(), static_cast<std::streamsize>(count)) && static_cast<size_t>(in.gcount()) == count;
}

uint32_t Little(std::string_view bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// --- zip packages: the names in the central directory ---------------------

std::string ZipFormat(std::ifstream& in, uint64_t size) {
    constexpr size_t EndRecord = 22;
    if (size < EndRecord) return {};
    size_t tail = static_cast<size_t>(std::min<uint64_t>(size, EndRecord + 65535));
    std::string end;
    if (!ReadAt(in, size - tail, tail, end)) return {};
    size_t at = end.rfind(std::string_view("PK\x05\x06", 4));
    if (at == std::string::npos || at + EndRecord > end.size()) return {};
    uint32_t directorySize = Little(end, at + 12, 4), directoryOffset = Little(end, at + 16, 4);
    if (directoryOffset + static_cast<uint64_t>(directorySize) > size || directorySize > (64u << 20)) return {};
    std::string directory;
    if (!ReadAt(in, directoryOffset, directorySize, directory)) return {};

    std::set<std::string> names;
    std::string firstName;
    uint32_t firstOffset = 0, firstSize = 0, firstMethod = 0;
    for (size_t entry = 0; entry + 46 <= directory.size();) {
        if (Little(directory, entry, 4) != 0x02014B50) break;
        size_t nameLength = Little(directory, entry + 28, 2), extraLength = Little(directory, entry + 30, 2),
               commentLength = Little(directory, entry + 32, 2);
        if (entry + 46 + nameLength > directory.size()) break;
        std::string name = directory.substr(entry + 46, nameLength);
        uint32_t offset = Little(directory, entry + 42, 4);
        if (names.empty() || offset < firstOffset) {
            firstName = name;
            firstOffset = offset;
            firstMethod = Little(directory, entry + 10, 2);
            firstSize = Little(directory, entry + 20, 4);
        }
        names.insert(std::move(name));
        entry += 46 + nameLength + extraLength + commentLength;
    }
    auto has = [&](const char* name) { return names.count(name) > 0; };
    if (has("word/document.xml")) return has("word/vbaProject.bin") ? "docm" : "docx";
    if (has("xl/workbook.xml")) return has("xl/vbaProject.bin") ? "xlsm" : "xlsx";
    if (has("ppt/presentation.xml")) return "pptx";

    // OpenDocument: the first entry is "mimetype", stored as it is.
    std::string local, mimetype;
    if (firstName != "mimetype" || firstMethod != 0 || firstSize > 100 || !ReadAt(in, firstOffset, 30, local) ||
        Little(local, 0, 4) != 0x04034B50 ||
        !ReadAt(in, firstOffset + 30 + Little(local, 26, 2) + Little(local, 28, 2), firstSize, mimetype))
        return {};
    const std::string_view prefix = "application/vnd.oasis.opendocument.";
    if (!mimetype.starts_with(prefix)) return {};
    std::string kind = mimetype.substr(prefix.size());
    if (kind.ends_with("-template")) kind.resize(kind.size() - 9);
    if (kind == "text") return "odt";
    if (kind == "spreadsheet") return "ods";
    if (kind == "presentation") return "odp";
    return {};
}

// --- compound files: the names in the directory ----------------------------

constexpr uint32_t EndOfChain = 0xFFFFFFFE;

std::string CompoundFormat(std::ifstream& in, uint64_t size) {
    std::string header;
    if (!ReadAt(in, 0, 512, header)) return {};
    uint32_t shift = Little(header, 0x1E, 2);
    if (shift != 9 && shift != 12) return {};
    const uint32_t sectorSize = 1u << shift, perSector = sectorSize / 4;
    auto sectorOffset = [&](uint32_t sector) { return (static_cast<uint64_t>(sector) + 1) << shift; };
    // A chain cannot be longer than the file has sectors (a looping one would
    // be followed forever).
    const uint64_t sectors = size >> shift;

    // The sectors of the allocation table: 109 listed in the header, the
    // rest in a chain of list sectors.
    std::vector<uint32_t> fatSectors;
    for (int i = 0; i < 109; ++i) fatSectors.push_back(Little(header, 0x4C + 4 * i, 4));
    uint32_t listSector = Little(header, 0x44, 4);
    for (uint64_t hops = 0; listSector < EndOfChain && hops < sectors; ++hops) {
        std::string list;
        if (!ReadAt(in, sectorOffset(listSector), sectorSize, list)) return {};
        for (uint32_t i = 0; i + 1 < perSector; ++i) fatSectors.push_back(Little(list, 4 * i, 4));
        listSector = Little(list, sectorSize - 4, 4);
    }
    auto next = [&](uint32_t sector, uint32_t& following) {
        uint32_t index = sector / perSector;
        std::string entry;
        if (index >= fatSectors.size() || fatSectors[index] >= EndOfChain ||
            !ReadAt(in, sectorOffset(fatSectors[index]) + 4 * (sector % perSector), 4, entry))
            return false;
        following = Little(entry, 0, 4);
        return true;
    };

    std::set<std::string> names;
    uint32_t sector = Little(header, 0x30, 4);
    for (uint64_t hops = 0; sector < EndOfChain && hops < sectors; ++hops) {
        std::string entries;
        if (!ReadAt(in, sectorOffset(sector), sectorSize, entries)) break;
        for (size_t at = 0; at + 128 <= entries.size(); at += 128) {
            size_t length = std::min<size_t>(Little(entries, at + 0x40, 2), 64);
            std::string name;
            // UTF-16 with a closing zero; the names sought are ASCII.
            for (size_t i = 0; i + 2 < length; i += 2) name += entries[at + i];
            names.insert(name);
        }
        if (!next(sector, sector)) break;
    }
    if (names.count("WordDocument")) return "doc";
    if (names.count("Workbook") || names.count("Book")) return "xls";
    if (names.count("PowerPoint Document")) return "ppt";
    return {};
}

std::string LowerExtension(const std::string& name) {
    std::string extension = std::filesystem::path(name).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

std::string SniffOfficeFormat(const std::string& path, const std::string& nameHint) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    auto end = in.tellg();
    if (end <= 0) return {};
    uint64_t size = static_cast<uint64_t>(end);
    std::string head;
    ReadAt(in, 0, static_cast<size_t>(std::min<uint64_t>(size, 8)), head);
    if (head.starts_with(std::string_view("PK\x03\x04", 4))) return ZipFormat(in, size);
    if (head.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))) return CompoundFormat(in, size);
    if (head.starts_with("{\\rtf")) return "rtf";
    if (LowerExtension(nameHint) == ".csv" && head.find('\0') == std::string::npos) return "csv";
    return {};
}
