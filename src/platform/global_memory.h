#pragma once

#include <cstddef>

// Memory blocks handed between the application and a scanner source manager.
// On this platform a handle is the block itself, taken from the C allocator,
// so that either side can release what the other allocated.
using HGLOBAL = void*;

constexpr unsigned GMEM_MOVEABLE = 0x0002;
constexpr unsigned GMEM_ZEROINIT = 0x0040;

HGLOBAL GlobalAlloc(unsigned flags, std::size_t bytes);
void* GlobalLock(HGLOBAL memory);
bool GlobalUnlock(HGLOBAL memory);
HGLOBAL GlobalFree(HGLOBAL memory);
