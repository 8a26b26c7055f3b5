#ifndef LARKSPUR_TESTS_FRAMEHARNESS_H
#define LARKSPUR_TESTS_FRAMEHARNESS_H

#include "CMessageLoop.h"
#include "MainFrame.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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
    // Makes user (password "secret") an account of the simulator and of the
    // settings file, reloading every 180 s so no reload comes in a test.
    static void UseAccount(const std::string& user);

    // Creates and shows the frame at the program's place and size (or the
    // given size, placed as the program places its window). False when
    // creation failed.
    bool Create(int width = 480, int height = 610);
    // Closes the window (WM_CLOSE) and pumps until it is gone; the quit
    // message it posts is taken from the queue. Then waits for the fetch it
    // started to end, so that its outcome (a failed sign-in) never reaches
    // the next frame. The frame object remains.
    void Close();

    MainFrame& Frame() { return *frame; }
    CMessageLoop& Loop() { return loop; }

    // Runs this thread's messages as the program's loop does (filters, then
    // dispatch, then idle handlers once the queue is empty) until condition
    // holds or timeoutMs passes. True when the condition came true.
    bool Pump(const std::function<bool()>& condition, int timeoutMs);
    // Runs the messages already queued, then the idle handlers.
    void PumpPending();
    // Pumps until the store holds statusId, no fetch runs, and the list
    // shows the whole store with pane 0 at "Ready".
    bool PumpUntilShown(const std::string& statusId, int timeoutMs);
    // Presses the keys in order and lets them go in reverse, as typed; true
    // once the loop has handled the last release (within five seconds).
    bool Press(const std::vector<WORD>& keys);

    // The screen's pixels in rect once drawing has reached it: Wine copies a
    // window's drawing to the screen when its thread next waits for
    // messages, so the pixels are read until two readings a wait apart agree.
    std::vector<COLORREF> SettledPixels(const RECT& rect);

    // The exit code of the quit message the frame posted, -1 before.
    int QuitCode() const { return quitCode; }

private:
    CMessageLoop loop;
    std::unique_ptr<MainFrame> frame;
    int quitCode = -1;
    int keyReleases = 0; // seen by PumpPending before any filter
};

// A window's text ("" when none).
std::string WindowText(HWND window);

// Text of a status bar pane of the frame ("" when none).
std::string PaneText(MainFrame& frame, int paneId);

// Adds a status for user to the simulator that the next fetch puts first in
// the timeline, whatever the store already holds: its id is above all added
// this way and its time one second past the newest stored status (never
// ahead of the clock but by that second). name applies when given; the
// picture is icon, or a 40x40 PNG. Returns its id, "" when refused.
std::string AddNewestStatus(const std::string& user, const std::string& text, const std::string& name = "",
                            const std::string& icon = "");

// text (code page 932) in UTF-8, as the simulator takes it.
std::string Utf8Of(const std::string& text);

// Writes pixels (top row first) as a 32-bit top-down BMP file.
bool WriteBitmap(const std::string& path, const std::vector<COLORREF>& pixels, int width, int height);

// The screen's pixels in rect (screen coordinates), row by row, as
// COLORREF values: what the windows there last painted.
std::vector<COLORREF> ScreenPixels(const RECT& rect);

// Leaves a box or dialog with OK (an answer for ModalWatcher).
void PressOk(HWND window);

// Answers what a modal loop shows (a dialog, a box, a popup menu) from a
// thread of its own: each time a visible top-level window of windowClass
// (with that caption, unless null) appears, calls answer with it on the
// watcher thread, then waits for it to go. Lives as long as the object.
class ModalWatcher {
public:
    ModalWatcher(const char* windowClass, const char* caption, std::function<void(HWND)> answer);
    ~ModalWatcher();
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;

    // How many windows were answered. What answer wrote is visible to a
    // thread once it has seen Seen() count that window.
    int Seen() const { return seen.load(); }

private:
    void Watch();

    std::string windowClass;
    std::string caption;
    bool anyCaption;
    std::function<void(HWND)> answer;
    std::atomic<bool> stop{false};
    std::atomic<int> seen{0};
    std::thread watcher;
};

#endif
