#include "WorkerGate.h"

#include <chrono>
#include <thread>

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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (inside.load() > 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
