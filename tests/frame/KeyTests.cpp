#include "FrameHarness.h"
#include "ResourceIds.h"
#include "SiteControl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class Keys : public testing::Test {
protected:
    void SetUp() override
    {
        SiteControl::Reset();
        // The statuses come first: they give the new user a picture of its
        // own, which the posts share, so the default one stays out of the cache.
        std::string newest;
        for (int i = 0; i < 3; ++i) {
            newest = AddNewestStatus("keyer", "detail text " + std::to_string(i));
            ASSERT_FALSE(newest.empty());
        }
        FrameHarness::UseAccount("keyer");
        ASSERT_TRUE(harness.Create());
        ASSERT_TRUE(harness.PumpUntilShown(newest, 30000));
        ::SetForegroundWindow(Frame());
        harness.PumpPending();
        ASSERT_EQ(Frame().handle, ::GetForegroundWindow());
    }

    void TearDown() override { FrameHarness::WriteSettings(""); }

    MainFrame& Frame() { return harness.Frame(); }
    HWND ComposeEdit() { return Frame().composeView.Edit(); }
    HWND DetailEdit() { return Frame().detailView.Edit(); }

    void Press(const std::vector<WORD>& keys) { ASSERT_TRUE(harness.Press(keys)); }

    static std::string Clipboard()
    {
        std::string text;
        if (::OpenClipboard(nullptr)) {
            const HANDLE data = ::GetClipboardData(CF_TEXT);
            const char* locked = data != nullptr ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
            text = locked != nullptr ? locked : "";
            if (locked != nullptr)
                ::GlobalUnlock(data);
            ::CloseClipboard();
        }
        return text;
    }

    FrameHarness harness;
};

TEST_F(Keys, FrameKeysActWhereverTheFocusIs)
{
    enum Place { list, detail, compose };
    struct Case {
        const char* name;
        std::vector<WORD> keys;
        Place from;
        Place to;
        const char* composeText = "abcxyz"; // what the compose box holds after
    };
    const Case cases[] = {
        {"F5", {VK_F5}, list, list},
        {"F6", {VK_F6}, list, detail},
        {"F7", {VK_F7}, list, compose},
        {"Home", {VK_HOME}, list, compose},
        {"Ctrl+N", {VK_CONTROL, 'N'}, compose, compose},
        {"Ctrl+Z", {VK_CONTROL, 'Z'}, compose, compose, "abc"},
    };
    MainFrame& frame = Frame();
    const HWND places[] = {frame.timelineView, DetailEdit(), ComposeEdit()};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // An undoable change in the compose box, the caret after it, and a
        // row below the top selected: a key that got through to a control
        // would undo, move the caret or move the selection.
        ::SetWindowTextA(ComposeEdit(), "abc");
        ::SendMessageA(ComposeEdit(), EM_SETSEL, 3, 3);
        ::SendMessageA(ComposeEdit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("xyz"));
        ASSERT_NE(0, ::SendMessageA(ComposeEdit(), EM_CANUNDO, 0, 0));
        ::SendMessageA(DetailEdit(), EM_SETSEL, 4, 4);
        frame.timelineView.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ::SetFocus(places[c.from]);
        harness.PumpPending();
        const int fetches = SiteControl::CountInLog("GET / ");
        const std::string pane = PaneText(frame, 0);

        Press(c.keys);
        EXPECT_EQ(places[c.to], ::GetFocus());
        if (c.to != list) {
            // A pane the key moved to puts its caret at the start; a key
            // that was swallowed left the caret after "abcxyz"; undo puts
            // it after "abc".
            const DWORD caret = c.from != c.to ? 0 : std::strlen(c.composeText);
            DWORD start = 1;
            DWORD end = 1;
            ::SendMessageA(places[c.to], EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(caret, start);
            EXPECT_EQ(caret, end);
        }
        EXPECT_EQ(c.composeText, WindowText(ComposeEdit()));
        EXPECT_EQ(1, frame.timelineView.GetSelectedIndex());
        EXPECT_EQ(fetches, SiteControl::CountInLog("GET / "));
        EXPECT_EQ(pane, PaneText(frame, 0));
    }
}

TEST_F(Keys, SendAndCopyGoToTheComposeBox)
{
    MainFrame& frame = Frame();
    // Ctrl+S from the compose box: the frame's table takes it, and the
    // compose pane's own binding of the same key must not post it again.
    const int posts = SiteControl::CountInLog("POST /status/update");
    const std::string text = "sent with the keys " + std::to_string(::GetTickCount64());
    ::SetWindowTextA(ComposeEdit(), text.c_str());
    ::SetFocus(ComposeEdit());
    Press({VK_CONTROL, 'S'});
    EXPECT_EQ("", WindowText(ComposeEdit()));
    ASSERT_TRUE(harness.Pump([&] { return SiteControl::Last("status") == text; }, 10000));
    const ULONGLONG settle = ::GetTickCount64() + 1500;
    harness.Pump([&] { return ::GetTickCount64() >= settle; }, 2000);
    EXPECT_EQ(posts + 1, SiteControl::CountInLog("POST /status/update"));

    // Ctrl+C while the detail pane has the focus and a selection of its own.
    ::SetWindowTextA(ComposeEdit(), "copied from the compose box");
    ::SendMessageA(ComposeEdit(), EM_SETSEL, 0, -1);
    ::SetFocus(DetailEdit());
    ::SendMessageA(DetailEdit(), EM_SETSEL, 0, -1);
    if (::OpenClipboard(frame)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    Press({VK_CONTROL, 'C'});
    EXPECT_EQ(DetailEdit(), ::GetFocus());
    EXPECT_EQ(WindowText(DetailEdit()), Clipboard());
    EXPECT_NE("", Clipboard());
}

// Deactivated and activated again, the window gives the focus back to the
// control that had it, not to the list.
TEST_F(Keys, FocusSurvivesDeactivation)
{
    const HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                         nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, other);
    for (const HWND place : {ComposeEdit(), DetailEdit()}) {
        ::SetFocus(place);
        harness.PumpPending();
        ::SetForegroundWindow(other);
        ASSERT_TRUE(harness.Pump([&] { return ::GetForegroundWindow() == other; }, 3000));
        ::SetForegroundWindow(Frame());
        ASSERT_TRUE(harness.Pump([&] { return ::GetForegroundWindow() == Frame().handle; }, 3000));
        EXPECT_EQ(place, ::GetFocus());
    }
    ::DestroyWindow(other);
}

} // namespace
