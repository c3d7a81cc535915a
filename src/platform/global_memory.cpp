#include "platform/global_memory.h"

#include <cstdlib>

HGLOBAL GlobalAlloc(unsigned flags, std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    return (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes) : std::malloc(bytes);
}

void* GlobalLock(HGLOBAL memory) { return memory; }

bool GlobalUnlock(HGLOBAL memory) { return memory != nullptr; }

HGLOBAL GlobalFree(HGLOBAL memory) {
    std::free(memory);
    return nullptr;
}
