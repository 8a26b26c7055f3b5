#include "FrameHarness.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SiteControl.h"
#include "TimelineModel.h"
#include "TimelineReader.h"

#include <gtest/gtest.h>

namespace {

class Reload : public testing::Test {
protected:
    void SetUp() override { SiteControl::Reset(); }

    void TearDown() override
    {
        SiteControl::Post("route/clear");
        FrameHarness::WriteSettings("");
    }

    bool ButtonChecked(MainFrame& frame)
    {
        const HWND toolBar = ::GetDlgItem(frame.topBar, topBarId);
        return ::SendMessageA(toolBar, TB_ISBUTTONCHECKED, autoReloadCommand, 0) != 0;
    }

    // Makes the next tick a reload decision and returns once it has run.
    static void DecideNow(FrameHarness& harness)
    {
        MainFrame& frame = harness.Frame();
        frame.tickCount = frame.reloadInterval + 1;
        ASSERT_TRUE(harness.Pump([&] { return frame.tickCount == 1; }, 3000));
    }

    static int Fetches() { return SiteControl::CountInLog("GET / "); }
};

TEST_F(Reload, FetchesEveryElevenSecondsAndNeverTwice)
{
    // A status first: it gives the new user a picture of its own, which the
    // posts share, so the simulator's default one stays out of the cache.
    ASSERT_FALSE(AddNewestStatus("ticker", "before the ticks").empty());
    SiteControl::Post("account", "user=ticker&password=secret");
    FrameHarness::WriteAccount("ticker", "secret", "10");
    FrameHarness harness;
    ASSERT_TRUE(harness.Create());
    MainFrame& frame = harness.Frame();
    ASSERT_EQ(10, frame.reloadInterval);
    ASSERT_TRUE(harness.Pump([&] { return serviceSession.fetchBusy.load() == 0 && PaneText(frame, 0) == "Ready"; },
                             20000));

    // Three fetches in a row, the first on a decision made now.
    int fetches = Fetches();
    frame.tickCount = frame.reloadInterval + 1;
    ULONGLONG started[3] = {};
    ULONGLONG lastPoll = 0;
    for (ULONGLONG& start : started) {
        ASSERT_TRUE(harness.Pump(
            [&] {
                const ULONGLONG now = ::GetTickCount64();
                if (now - lastPoll < 50)
                    return false;
                lastPoll = now;
                return Fetches() > fetches;
            },
            15000));
        start = ::GetTickCount64();
        fetches = Fetches();
    }
    for (int i = 1; i < 3; ++i) {
        EXPECT_GE(started[i] - started[i - 1], 10400u);
        EXPECT_LE(started[i] - started[i - 1], 11700u);
    }

    // A decision while the fetch still runs starts no second one.
    ASSERT_TRUE(harness.Pump([] { return serviceSession.fetchBusy.load() == 0; }, 5000));
    ASSERT_TRUE(SiteControl::Route("path=/&delay=3000&count=1"));
    fetches = Fetches();
    DecideNow(harness);
    ASSERT_EQ(1, serviceSession.fetchBusy.load());
    DecideNow(harness);
    ASSERT_TRUE(harness.Pump([] { return serviceSession.fetchBusy.load() == 0; }, 10000));
    EXPECT_EQ(fetches + 1, Fetches());

    // Switched off: no fetch, but a posted status still reaches the list.
    frame.PostMessage(WM_COMMAND, autoReloadCommand);
    harness.PumpPending();
    EXPECT_FALSE(ButtonChecked(frame));
    fetches = Fetches();
    DecideNow(harness);
    EXPECT_EQ(0, serviceSession.fetchBusy.load());
    const int shown = frame.shownCount;
    const std::string text = "posted while switched off " + std::to_string(::GetTickCount64());
    frame.composeView.Edit().SetWindowText(text.c_str());
    frame.SendMessage(WM_COMMAND, sendCommand);
    ULONGLONG stored = 0;
    ASSERT_TRUE(harness.Pump(
        [&] {
            if (stored == 0 && TimelineReaderOf().GetCount() > shown)
                stored = ::GetTickCount64();
            return frame.shownCount == shown + 1;
        },
        10000));
    EXPECT_LE(::GetTickCount64() - stored, 1500u);
    EXPECT_EQ(text, SiteControl::Last("status"));
    EXPECT_EQ(fetches, Fetches());
}

TEST_F(Reload, FailedLoginAsksOnceForNewSettings)
{
    for (const bool confirm : {false, true}) {
        SCOPED_TRACE(confirm ? "confirmed" : "cancelled");
        SiteControl::Reset();
        SiteControl::Post("account", "user=loser&password=right");
        FrameHarness::WriteAccount("loser", "wrong", "30");
        std::string boxText;
        bool informationIcon = false;
        const ModalWatcher box("#32770", "ログインエラー", [&](HWND found) {
            char text[256] = "";
            ::GetDlgItemTextA(found, 0xFFFF, text, sizeof text);
            boxText = text;
            for (HWND child = ::GetWindow(found, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
                if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                    informationIcon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0))
                                      == ::LoadIconA(nullptr, IDI_INFORMATION);
            }
            // Read slowly: the ticks that come meanwhile must not ask again.
            ::Sleep(1500);
            ::PostMessageA(found, WM_COMMAND, IDOK, 0);
        });
        const ModalWatcher settings("#32770", "設定", [confirm](HWND dialog) {
            if (confirm) {
                ::SetDlgItemTextA(dialog, passwordEditControl, "right");
                ::SetDlgItemTextA(dialog, intervalEditControl, "45");
            }
            ::PostMessageA(dialog, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
        });
        FrameHarness harness;
        ASSERT_TRUE(harness.Create());
        MainFrame& frame = harness.Frame();
        // Checked once the tick that showed the box and the dialog has
        // returned: the idle handler does not run inside their loops.
        ASSERT_TRUE(harness.Pump([&] { return settings.Seen() == 1 && box.Seen() > 0; }, 20000));
        ASSERT_EQ(1, box.Seen());
        EXPECT_EQ("Twitterアカウントにログインできませんでした。", boxText);
        EXPECT_TRUE(informationIcon);
        EXPECT_EQ("ログインエラー", PaneText(frame, 0));
        EXPECT_EQ(confirm, ButtonChecked(frame));

        const int signIns = SiteControl::CountInLog("POST /sessions ");
        if (confirm) {
            EXPECT_EQ(45, frame.reloadInterval);
            EXPECT_EQ(LoginReady, serviceSession.loginState.load());
        } else {
            const ULONGLONG quiet = ::GetTickCount64() + 2500;
            harness.Pump([&] { return ::GetTickCount64() >= quiet; }, 3000);
            EXPECT_EQ(1, box.Seen());
            EXPECT_EQ(1, settings.Seen());
            EXPECT_EQ(signIns, SiteControl::CountInLog("POST /sessions "));
            // The account now takes the password the program has; the
            // button alone makes it try again.
            SiteControl::Post("account", "user=loser&password=wrong");
            frame.PostMessage(WM_COMMAND, autoReloadCommand);
            harness.PumpPending();
            EXPECT_TRUE(ButtonChecked(frame));
        }
        DecideNow(harness);
        ASSERT_TRUE(harness.Pump([] { return serviceSession.fetchBusy.load() == 0; }, 10000));
        EXPECT_EQ(signIns + 1, SiteControl::CountInLog("POST /sessions "));
        EXPECT_EQ(LoginReady, serviceSession.loginState.load());
        harness.Pump([&] { return PaneText(frame, 0) == "Ready"; }, 3000);
        EXPECT_EQ(1, box.Seen());
        harness.Close();
    }
}

} // namespace
