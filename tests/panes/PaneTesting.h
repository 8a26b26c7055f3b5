#ifndef LARKSPUR_TESTS_PANETESTING_H
#define LARKSPUR_TESTS_PANETESTING_H

#include "FrameHarness.h"
#include "TimelineEntry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Statuses every test starts with, one per user; carol's is the oldest and
// 150 characters long.
const char aliceStatusId[] = "20000000001";
const char bobStatusId[] = "20000000002";
const char carolStatusId[] = "20000000003";

// The panes' tests share one fixture: a fresh simulator with an account and
// those statuses, and the real frame signed in and showing them, in front.
class PaneTest : public testing::Test {
protected:
    void SetUp() override;

    MainFrame& Frame() { return harness.Frame(); }
    bool Pump(const std::function<bool()>& condition, int timeoutMs = 5000)
    {
        return harness.Pump(condition, timeoutMs);
    }

    static void AddStatus(const std::string& id, const std::string& user, const std::string& text,
                          const std::string& time);
    // Selects the list row of a status; false when the list does not show it.
    bool SelectStatus(const char* statusId);
    // Screen point in the middle of the list row of a status.
    POINT RowPoint(const char* statusId);

    FrameHarness harness;
};

// A status for the detail pane, made by hand, created 2010-03-10 09:05:07.
TimelineEntry MakeEntry(const char* text, const char* screenName = "alice", const char* displayName = "Alice",
                        const char* iconUrl = "");

// Input as a person gives it, through SendInput. A text with double-byte
// characters comes as WM_UNICHAR messages to the focus window instead.
void TypeText(const std::string& ansiText);
void PressKey(WORD key, WORD modifier = 0);
void MoveMouse(POINT screen);
void ClickAt(POINT screen, bool right = false);

CHARRANGE Selection(HWND edit);
// Screen point in the middle of a character of a rich edit control.
POINT CharacterPoint(HWND edit, LONG character);
// Character position of part in text (code page 932; "\r\n" is one
// position, as the rich edit control counts), -1 when absent.
LONG CharacterOf(const std::string& text, const std::string& part);
// A screen pixel of a text box's background, away from any text.
COLORREF EditBackground(HWND edit);
// The runs of characters a rich edit control shows as links, as texts. With
// colourToo a link is CFE_LINK and RGB(0,0,255), and a run in which a
// character has only one of the two starts with "?". Moves the selection.
std::vector<std::string> MarkedRuns(HWND edit, bool colourToo = true);

struct MenuItem {
    UINT id; // 0 for a separator
    std::string text;
    bool grey;
};

struct ShownMenu {
    std::vector<MenuItem> items;
    POINT origin; // top-left corner on the screen
};

// Answers the popup menus (class "#32768") the UI thread tracks, from a
// thread of its own: reads each menu through MN_GETHMENU, runs beforeAnswer
// (while the menu is still open), then chooses `choose` by its mnemonic or,
// for 0, dismisses the menu.
class MenuWatcher {
public:
    explicit MenuWatcher(UINT choose = 0, std::function<void()> beforeAnswer = nullptr);
    ~MenuWatcher();
    MenuWatcher(const MenuWatcher&) = delete;
    MenuWatcher& operator=(const MenuWatcher&) = delete;

    int Seen() const { return seen.load(); }
    ShownMenu Last() const;

private:
    void Watch();
    void Answer(HWND popup, HMENU menu);

    UINT choose;
    std::function<void()> beforeAnswer;
    std::atomic<bool> stop{false};
    std::atomic<int> seen{0};
    mutable std::mutex lock;
    ShownMenu last = {};
    std::thread watcher;
};

// What the shell handed to the recording browser (tests/tools/record-browser.sh,
// set up by scripts/common.sh): the file LARKSPUR_BROWSER_LOG names. That is a
// Unix path, which every Wine process also sees as Z: plus the path with
// backslashes. Emptied when made and when gone.
class BrowserLog {
public:
    BrowserLog();
    ~BrowserLog();

    bool Ready() const { return !path.empty(); }
    std::vector<std::string> Lines() const;
    // Pumps until address has arrived.
    bool WaitFor(FrameHarness& harness, const std::string& address) const;

private:
    std::string path;
};

// Pumps until no process the shell starts for an address (the browser
// launcher, the command interpreter) runs any more, so that whatever they
// would record is recorded.
bool WaitForShellChildren(FrameHarness& harness);

#endif
