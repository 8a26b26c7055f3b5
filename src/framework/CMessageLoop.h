#ifndef LARKSPUR_FRAMEWORK_CMESSAGELOOP_H
#define LARKSPUR_FRAMEWORK_CMESSAGELOOP_H

#include <windows.h>

#include <vector>

// Sees a message before it is translated and dispatched; true consumes it.
class CMessageFilter {
public:
    virtual BOOL PreTranslateMessage(MSG* message) = 0;

protected:
    ~CMessageFilter() = default;
};

// Called once each time the thread's queue has emptied; true asks for more.
class CIdleHandler {
public:
    virtual BOOL OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};

// A thread's message loop with message filters (asked from the last
// registered to the first) and idle handlers (called in registration order).
class CMessageLoop {
public:
    CMessageLoop() = default;
    virtual ~CMessageLoop() = default;
    CMessageLoop(const CMessageLoop&) = delete;
    CMessageLoop& operator=(const CMessageLoop&) = delete;

    bool AddMessageFilter(CMessageFilter* filter);
    bool RemoveMessageFilter(CMessageFilter* filter);
    bool AddIdleHandler(CIdleHandler* handler);
    bool RemoveIdleHandler(CIdleHandler* handler);

    // Runs until the quit message; returns its parameter.
    int Run();

    // Asks the filters, newest first, and stops at the first that takes it.
    virtual BOOL PreTranslateMessage(MSG* message);
    // Calls every idle handler; false, so idle work runs once per empty queue.
    virtual BOOL OnIdle(int idleCount);

    // Messages that do not re-enable idle processing: mouse moves, paints and
    // the caret-blink timer would otherwise keep the idle handlers busy.
    static bool IsIdleMessage(const MSG& message);

    MSG currentMessage = {};

private:
    std::vector<CMessageFilter*> filters;
    std::vector<CIdleHandler*> idleHandlers;
};

#endif
