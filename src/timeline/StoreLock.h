#ifndef LARKSPUR_TIMELINE_STORELOCK_H
#define LARKSPUR_TIMELINE_STORELOCK_H

// A plain exclusive lock for the timeline store: a slim reader/writer lock on
// Windows, std::mutex natively. Not recursive.

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

class StoreLock {
public:
    StoreLock() = default;
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

#ifdef _WIN32
    void Lock() { AcquireSRWLockExclusive(&lock); }
    void Unlock() { ReleaseSRWLockExclusive(&lock); }

private:
    SRWLOCK lock = SRWLOCK_INIT;
#else
    void Lock() { lock.lock(); }
    void Unlock() { lock.unlock(); }

private:
    std::mutex lock;
#endif
};

// Holds a StoreLock for the life of the object.
class StoreLockHolder {
public:
    explicit StoreLockHolder(StoreLock& held) : lock(held) { lock.Lock(); }
    ~StoreLockHolder() { lock.Unlock(); }
    StoreLockHolder(const StoreLockHolder&) = delete;
    StoreLockHolder& operator=(const StoreLockHolder&) = delete;

private:
    StoreLock& lock;
};

#endif
