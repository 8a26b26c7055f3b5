#include "FrameHarness.h"
#include "IconCache.h"
#include "ServiceSession.h"
#include "SiteControl.h"
#include "TimelineModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The colour on screen at a point of a window's client area.
COLORREF PixelAt(HWND window, int x, int y)
{
    POINT point = {x, y};
    ::ClientToScreen(window, &point);
    const HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

// Statuses appear before their pictures: with every picture slow, the rows
// come with the home page, and each picture is painted within two ticks of
// its arrival, in the list and in the detail pane.
TEST(PicturesLater, RowsComeWithThePagePicturesWhenTheyArrive)
{
    SiteControl::Reset();
    SiteControl::Post("account", "user=pictures&password=secret");
    const int authors = 20;
    for (int i = 0; i < authors; ++i) {
        const std::string user = "late" + std::to_string(i);
        // The cache knows a picture by its file name: a size of its own for
        // each author, so none was fetched before in this process.
        const std::string icon = "/images/" + user + "/" + std::to_string(101 + i) + "x57.png";
        ASSERT_TRUE(SiteControl::Post("status", "id=" + std::to_string(32000000001LL + i) + "&user=" + user
                                                     + "&text=status+with+a+slow+picture&icon="
                                                     + SiteControl::Encode(icon)));
        ASSERT_TRUE(SiteControl::Route("path=" + SiteControl::Encode(icon) + "&delay=3000"));
    }
    FrameHarness::WriteAccount("pictures", "secret", "180");
    FrameHarness harness;
    ASSERT_TRUE(harness.Create());
    MainFrame& frame = harness.Frame();

    ULONGLONG homeAnswered = 0;
    ASSERT_TRUE(harness.Pump([&] {
        if (homeAnswered == 0 && SiteControl::CountInLog("GET / 200") > 0)
            homeAnswered = ::GetTickCount64();
        return frame.timelineView.GetItemCount() >= authors;
    }, 10000));
    const ULONGLONG rowsShown = ::GetTickCount64();
    EXPECT_LT(rowsShown - homeAnswered, 2000u);

    // The page's first block (late19) has its picture asked for first: its
    // row, selected, is painted without the picture, then with it.
    const int first = frame.shownTimeline.IndexOf(std::to_string(32000000000LL + authors).c_str());
    ASSERT_GE(first, 0);
    frame.timelineView.SetItemState(first, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    frame.timelineView.EnsureVisible(first, false);
    harness.PumpPending();
    RECT row;
    ASSERT_TRUE(frame.timelineView.GetItemRect(first, &row, LVIR_BOUNDS));
    const int iconX = row.left + 2 + 16;
    const int iconY = row.top + 1 + 3 + 16;
    frame.timelineView.UpdateWindow();
    const COLORREF before = PixelAt(frame.timelineView, iconX, iconY);
    EXPECT_EQ(-1, frame.detailView.IconIndex());
    const unsigned recorded = Icons().PicturesRecorded();
    ASSERT_TRUE(harness.Pump([&] { return Icons().PicturesRecorded() > recorded; }, 10000));
    const ULONGLONG arrived = ::GetTickCount64();
    EXPECT_TRUE(harness.Pump([&] {
        frame.timelineView.UpdateWindow();
        return PixelAt(frame.timelineView, iconX, iconY) != before && frame.detailView.IconIndex() >= 0;
    }, 2200));
    const ULONGLONG painted = ::GetTickCount64();

    // Without the delays the remaining pictures come at once; the cycle ends.
    SiteControl::Post("route/clear");
    ASSERT_TRUE(harness.Pump([] { return serviceSession.fetchBusy.load() == 0; }, 60000));
    const ULONGLONG cycleEnded = ::GetTickCount64();
    std::printf("[ figures  ] home page answered to rows shown: %llu ms (the cycle, pictures included, ended"
                " after %llu ms); first picture painted %llu ms after it arrived\n",
                rowsShown - homeAnswered, cycleEnded - homeAnswered, painted - arrived);
}

// A picture that never answers (5-second time-out, tried again on every
// reload) holds back no statuses: each page's rows come with the page.
TEST(PicturesLater, HangingPictureDelaysNoLaterStatuses)
{
    SiteControl::Reset();
    SiteControl::Post("account", "user=hanging&password=secret");
    const std::string icon = "/images/hangs/77x33.png"; // a file name no other test asks for
    ASSERT_TRUE(SiteControl::Post("status", "id=32100000001&user=hangs&text=picture+hangs&icon="
                                                 + SiteControl::Encode(icon)));
    ASSERT_TRUE(SiteControl::Route("path=" + SiteControl::Encode(icon) + "&hang=1"));
    FrameHarness::WriteAccount("hanging", "secret", "10");
    FrameHarness harness;
    ASSERT_TRUE(harness.Create());
    MainFrame& frame = harness.Frame();
    ASSERT_TRUE(harness.Pump([&] { return frame.shownTimeline.IndexOf("32100000001") >= 0; }, 10000));

    for (int reload = 0; reload < 2; ++reload) {
        const std::string id = std::to_string(32100000002LL + reload);
        ASSERT_TRUE(SiteControl::Post("status", "id=" + id + "&user=hangs&text=later+status&icon="
                                                     + SiteControl::Encode(icon)));
        const int gets = SiteControl::CountInLog("GET / 200");
        ULONGLONG fetched = 0;
        ASSERT_TRUE(harness.Pump([&] {
            if (fetched == 0 && SiteControl::CountInLog("GET / 200") > gets)
                fetched = ::GetTickCount64();
            return frame.shownTimeline.IndexOf(id.c_str()) >= 0;
        }, 30000));
        EXPECT_LT(::GetTickCount64() - fetched, 2000u) << "reload " << reload;
    }
    SiteControl::Post("route/clear");
}

} // namespace
