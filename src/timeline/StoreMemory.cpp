#include "StoreMemory.h"

#include <cstdlib>

void* StoreMemory::Allocate(std::size_t size)
{
    const std::size_t used = inUse.load(std::memory_order_relaxed);
    if (size > limit || used > limit - size)
        return nullptr;
    void* block = std::malloc(size);
    if (block != nullptr)
        inUse.store(used + size, std::memory_order_relaxed);
    return block;
}

void StoreMemory::Free(void* block, std::size_t size)
{
    if (block == nullptr)
        return;
    std::free(block);
    inUse.store(inUse.load(std::memory_order_relaxed) - size, std::memory_order_relaxed);
}
