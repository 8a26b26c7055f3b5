#ifndef LARKSPUR_TIMELINE_STOREMEMORY_H
#define LARKSPUR_TIMELINE_STOREMEMORY_H

#include <atomic>
#include <cstddef>

// The timeline store's large blocks (record and slot chunks, id tables,
// published orders), counted against a limit. Past the limit a request fails
// just as when the system has no memory left, so one path handles both: the
// store keeps what it had and counts the failure. Allocate and Free belong to
// the store's writer; InUse may be read from any thread.
class StoreMemory {
public:
    explicit StoreMemory(std::size_t limit) : limit(limit) {}
    StoreMemory(const StoreMemory&) = delete;
    StoreMemory& operator=(const StoreMemory&) = delete;

    // A block of size bytes; null when the limit or the system refuses.
    void* Allocate(std::size_t size);
    // Gives back a block from Allocate, with the size it was asked for.
    void Free(void* block, std::size_t size);

    std::size_t InUse() const { return inUse.load(std::memory_order_relaxed); }

private:
    const std::size_t limit;
    std::atomic<std::size_t> inUse{0};
};

#endif
