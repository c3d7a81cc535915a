#pragma once

#include <cstddef>
#include <cstdint>

// The zero-filled memory behind a bitmap's rows. A large buffer is mapped
// straight from the system on 2 MB boundaries and offered huge pages, so that
// filling a page-sized picture, or writing it column by column as a turn does,
// costs few page faults and address-translation misses; a small one comes from
// the heap (as does every buffer in builds checked by AddressSanitizer, which
// watches only the heap).
class TPixelBuffer {
public:
    TPixelBuffer() = default;
    ~TPixelBuffer() { Release(); }
    TPixelBuffer(TPixelBuffer&& other) noexcept;
    TPixelBuffer& operator=(TPixelBuffer&& other) noexcept;
    TPixelBuffer(const TPixelBuffer&) = delete;
    TPixelBuffer& operator=(const TPixelBuffer&) = delete;

    // size bytes, all zero; false when the memory cannot be had. The buffer
    // held before is released either way.
    bool Allocate(std::size_t size) noexcept;
    void Release() noexcept;

    std::uint8_t* Data() const { return FData; }
    explicit operator bool() const { return FData != nullptr; }

private:
    std::uint8_t* FData = nullptr;
    std::size_t FMappedSize = 0;  // 0: from the heap
};
