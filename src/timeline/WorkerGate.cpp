#include "WorkerGate.h"

#include <windows.h>

bool WorkerGate::Enter()
{
    // Counted in before looking: Close sets the flag before it counts, so
    // either the worker sees the flag or Close sees the worker.
    inside.fetch_add(1);
    if (closed.load()) {
        inside.fetch_sub(1);
        return false;
    }
    return true;
}

void WorkerGate::Leave()
{
    inside.fetch_sub(1);
}

bool WorkerGate::Close(int timeoutMs)
{
    closed.store(true);
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (inside.load() > 0) {
        if (::GetTickCount64() >= deadline)
            return false;
        ::Sleep(1);
    }
    return true;
}
