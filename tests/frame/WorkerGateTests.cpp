#include "WorkerGate.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// A gate of the test's own: the program's shutdown gate stays open for the
// other tests of the process.
TEST(WorkerGate, CloseWaitsForTheWorkerInsideAndLetsNoneIn)
{
    WorkerGate gate;
    std::atomic<bool> inside{false};
    std::atomic<bool> leave{false};
    std::thread worker([&] {
        const WorkerGate::Pass pass(&gate);
        inside = pass.IsInside();
        while (!leave)
            ::Sleep(1);
    });
    while (!inside)
        ::Sleep(1);

    // The worker stays inside: Close gives up after its time, and reports it.
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(gate.Close(200));
    EXPECT_GE(::GetTickCount64() - start, 190u);
    EXPECT_TRUE(gate.IsClosed());
    EXPECT_FALSE(gate.Enter());
    EXPECT_FALSE(WorkerGate::Pass(&gate).IsInside());

    // Once the worker leaves, a waiting Close returns at once with success.
    std::atomic<bool> closed{false};
    std::thread closer([&] { closed = gate.Close(10000); });
    ::Sleep(50);
    EXPECT_FALSE(closed);
    leave = true;
    worker.join();
    closer.join();
    EXPECT_TRUE(closed);
}

} // namespace
