#ifndef LARKSPUR_FRAMEWORK_CRITICALSECTION_H
#define LARKSPUR_FRAMEWORK_CRITICALSECTION_H

#include <windows.h>

// A critical section that lives as long as its owner, and the scoped lock
// that enters and leaves it.
class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&section); }
    ~CCriticalSection() { DeleteCriticalSection(&section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section); }
    void Leave() { LeaveCriticalSection(&section); }

private:
    CRITICAL_SECTION section;
};

class CLock {
public:
    explicit CLock(CCriticalSection& section) : section(section) { section.Enter(); }
    ~CLock() { section.Leave(); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    CCriticalSection& section;
};

#endif
