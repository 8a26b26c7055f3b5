#ifndef LARKSPUR_FRAMEWORK_WORKERGATE_H
#define LARKSPUR_FRAMEWORK_WORKERGATE_H

#include <atomic>

// Lets detached workers into the process-wide objects until the program
// shuts down. Once Close has run no worker gets in again; Close itself waits
// for the workers inside to leave. Workers pass the gate only around short
// work (decoding a picture, adding it to the image lists), never around a
// download, so the wait is brief.
class WorkerGate {
public:
    WorkerGate() = default;
    WorkerGate(const WorkerGate&) = delete;
    WorkerGate& operator=(const WorkerGate&) = delete;

    // False once the gate is closed; otherwise the caller is inside until it
    // calls Leave.
    bool Enter();
    void Leave();
    bool IsClosed() const { return closed.load(); }

    // Closes the gate and waits, at most timeoutMs, for the workers inside.
    // True when none is left inside.
    bool Close(int timeoutMs);

    // Inside the gate for the life of the object, when it was open; without
    // a gate (null) always inside.
    class Pass {
    public:
        explicit Pass(WorkerGate* gate) : gate(gate), inside(gate == nullptr || gate->Enter()) {}
        ~Pass()
        {
            if (gate != nullptr && inside)
                gate->Leave();
        }
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;
        bool IsInside() const { return inside; }

    private:
        WorkerGate* gate;
        bool inside;
    };

private:
    std::atomic<bool> closed{false};
    std::atomic<int> inside{0};
};

#endif
