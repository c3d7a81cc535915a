#include "image/pixel_buffer.h"

#include <cstdlib>
#include <utility>

#include <sys/mman.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool MapLargeBuffers = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool MapLargeBuffers = false;
#else
constexpr bool MapLargeBuffers = true;
#endif
#else
constexpr bool MapLargeBuffers = true;
#endif

constexpr std::size_t HugePage = 2u << 20;
constexpr std::size_t MapFrom = 2 * HugePage;
constexpr std::size_t SmallPage = 4096;

}  // namespace

TPixelBuffer::TPixelBuffer(TPixelBuffer&& other) noexcept
    : FData(std::exchange(other.FData, nullptr)), FMappedSize(std::exchange(other.FMappedSize, 0))
{
}

TPixelBuffer& TPixelBuffer::operator=(TPixelBuffer&& other) noexcept
{
    if (this != &other) {
        Release();
        FData = std::exchange(other.FData, nullptr);
        FMappedSize = std::exchange(other.FMappedSize, 0);
    }
    return *this;
}

bool TPixelBuffer::Allocate(std::size_t size) noexcept
{
    Release();
    if (size == 0)
        return true;
    if (!MapLargeBuffers || size < MapFrom) {
        FData = static_cast<std::uint8_t*>(std::calloc(size, 1));
        return FData != nullptr;
    }
    const std::size_t wanted = (size + SmallPage - 1) / SmallPage * SmallPage;
    if (wanted > SIZE_MAX - HugePage)
        return false;
    // Map a huge page more than needed, then trim the ends so that the buffer
    // starts on a huge-page boundary.
    void* raw = mmap(nullptr, wanted + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return false;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + HugePage - 1) / HugePage * HugePage;
    if (aligned > start)
        munmap(raw, aligned - start);
    const std::size_t tail = (start + wanted + HugePage) - (aligned + wanted);
    if (tail > 0)
        munmap(reinterpret_cast<void*>(aligned + wanted), tail);
    madvise(reinterpret_cast<void*>(aligned), wanted, MADV_HUGEPAGE);
    FData = reinterpret_cast<std::uint8_t*>(aligned);
    FMappedSize = wanted;
    return true;
}

void TPixelBuffer::Release() noexcept
{
    if (FMappedSize != 0)
        munmap(FData, FMappedSize);
    else
        std::free(FData);
    FData = nullptr;
    FMappedSize = 0;
}
