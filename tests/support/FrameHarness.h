#ifndef LARKSPUR_TESTS_FRAMEHARNESS_H
#define LARKSPUR_TESTS_FRAMEHARNESS_H

#include "CMessageLoop.h"
#include "MainFrame.h"

#include <functional>
#include <memory>
#include <string>

// The program's main window running inside a test, as the entry point would
// run it: the module initialised once per process, the rich edit library and
// the common controls loaded, a message loop registered for this thread (the
// frame and the compose pane add their filters to it), and the settings file
// that the frame reads beside the test executable.
//
// Tests drive it by pumping messages through the loop's filters and idle
// handlers (Pump), never by sleeping.
class FrameHarness {
public:
    FrameHarness();
    ~FrameHarness();
    FrameHarness(const FrameHarness&) = delete;
    FrameHarness& operator=(const FrameHarness&) = delete;

    // The settings file the frame reads: this executable's path with ".ini".
    static std::string SettingsPath();
    // Writes the settings file with these exact bytes (CP932, CRLF), or
    // removes it for an empty text.
    static void WriteSettings(const std::string& text);
    // A settings file with an account and an interval.
    static void WriteAccount(const std::string& user, const std::string& password, const std::string& interval = "30");

    // Creates and shows the frame at the program's place and size (or the
    // given size, centred). False when creation failed.
    bool Create(int width = 480, int height = 610);
    // Closes the window (WM_CLOSE) and pumps until it is gone; the quit
    // message it posts is taken from the queue. The frame object remains.
    void Close();

    MainFrame& Frame() { return *frame; }
    CMessageLoop& Loop() { return loop; }

    // Runs this thread's messages as the program's loop does (filters, then
    // dispatch, then idle handlers once the queue is empty) until condition
    // holds or timeoutMs passes. True when the condition came true.
    bool Pump(const std::function<bool()>& condition, int timeoutMs);
    // Runs the messages already queued, then the idle handlers.
    void PumpPending();

    // The exit code of the quit message the frame posted, -1 before.
    int QuitCode() const { return quitCode; }

private:
    CMessageLoop loop;
    std::unique_ptr<MainFrame> frame;
    int quitCode = -1;
};

// Text of a status bar pane of the frame ("" when none).
std::string PaneText(MainFrame& frame, int paneId);

#endif
