#ifndef LARKSPUR_TESTS_WAITING_H
#define LARKSPUR_TESTS_WAITING_H

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// Tests never sleep to synchronise: they pump this thread's messages until a
// condition holds, with a deadline. True when the condition came true.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

// Answers modal boxes: a thread that looks for visible top-level dialogs
// (class "#32770") with the given caption, notes their text and presses the
// button. Lives as long as the object.
class BoxWatcher {
public:
    explicit BoxWatcher(const char* caption, int button = IDOK);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    int Answered() const { return answered.load(); }
    std::string LastText() const;

private:
    void Watch();

    std::string caption;
    int button;
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0};
    mutable CRITICAL_SECTION textLock;
    std::string lastText;
    std::thread watcher;
};

#endif
