#include "PaneTesting.h"

#include "IconCache.h"
#include "ResourceIds.h"
#include "TimelineModel.h"
#include "WebAddress.h"

#include <algorithm>
#include <cstdio>

namespace {

std::vector<COLORREF> Pixels(HDC dc, POINT origin, int width, int height)
{
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            pixels.push_back(::GetPixel(dc, origin.x + x, origin.y + y));
    }
    return pixels;
}

// The top-left corner of the client area of window as the screen shows it.
std::vector<COLORREF> ScreenPixels(HWND window, int width, int height)
{
    ::UpdateWindow(::GetParent(window));
    POINT origin = {0, 0};
    ::ClientToScreen(window, &origin);
    const HDC screen = ::GetDC(nullptr);
    std::vector<COLORREF> pixels = Pixels(screen, origin, width, height);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// Picture index of the 48x48 list as the list draws it.
std::vector<COLORREF> ShownPicturePixels(int index, int width, int height)
{
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 48, 48);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    {
        const IconCache::ScopedLock hold(Icons());
        ::ImageList_Draw(Icons().LargeIcons(), index, memory, 0, 0, ILD_NORMAL);
    }
    std::vector<COLORREF> pixels = Pixels(memory, {0, 0}, width, height);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

} // namespace

TEST_F(PaneTest, DetailMarksNamesAndTagsAsBlueLinks)
{
    struct {
        const char* text;
        std::vector<std::string> runs;
    } const cases[] = {
        {"@alice: hello", {"@alice"}},
        {"@alice hello", {"@alice"}},
        {"to @alice, @bob and me", {"@alice,", "@bob"}},
        {"ends with #tag", {"#tag"}},
        {"@alice日本語です", {"@alice"}},
        {"mail@alice@bob hi", {"@bob"}},
        {"@ali\r\nce: more", {"@ali\rce"}},
        {"first line\r\nsecond @bob: x", {"@bob"}},
        {"#ｶﾀｶﾅ tag", {"#ｶﾀｶﾅ"}},
    };
    const HWND edit = Frame().detailView.Edit();
    for (const auto& test : cases) {
        Frame().detailView.ShowEntry(MakeEntry(test.text));
        EXPECT_EQ(test.runs, MarkedRuns(edit)) << test.text;
    }
}

TEST_F(PaneTest, DetailShowsTextNamesAndTime)
{
    DetailView& detail = Frame().detailView;
    const HWND edit = detail.Edit();
    struct {
        const char* display;
        const char* screen;
        const char* line;
    } const names[] = {
        {"Alice W", "alice", "Alice W / alice"},
        {"alice", "alice", "alice / alice"},
        {"Tom &amp; Jerry", "tom", "Tom & Jerry / tom"},
    };
    for (const auto& test : names) {
        detail.ShowEntry(MakeEntry("<a href=\"http://localhost/bob\" class=\"tweet-url\">@bob</a> says <b>hi</b>",
                                   test.screen, test.display));
        EXPECT_EQ(test.line, WindowText(detail.GetDlgItem(nameLabelControl)));
        EXPECT_EQ("@bob says hi\r\n", WindowText(edit));
        const CHARRANGE caret = Selection(edit);
        EXPECT_EQ(1, caret.cpMin);
        EXPECT_EQ(1, caret.cpMax);
    }
    EXPECT_TRUE(::GetWindowLongA(edit, GWL_STYLE) & ES_READONLY);

    const HWND time = detail.GetDlgItem(timeLabelControl);
    EXPECT_EQ("2010-03-10 09:05:07", WindowText(time));
    RECT client;
    detail.GetClientRect(&client);
    RECT label;
    ::GetWindowRect(time, &label);
    ::MapWindowPoints(nullptr, detail, reinterpret_cast<POINT*>(&label), 2);
    EXPECT_EQ(client.right - 8, label.right);
    EXPECT_EQ(6, label.top);
    EXPECT_LE(label.left, client.right - 135);
    const HDC dc = ::GetDC(time);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(time, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, "2010-03-10 09:05:07", 19, &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(time, dc);
    // W-135 to W-8, further left only as far as the text needs.
    EXPECT_GE(label.right - label.left, extent.cx);
    EXPECT_LE(label.right - label.left, std::max(127L, extent.cx + 8));

    // A status from the site, chosen in the list, shows its time in local time.
    ASSERT_TRUE(SelectStatus(aliceStatusId));
    SYSTEMTIME utc = {2010, 1, 1, 4, 9, 5, 7, 0};
    SYSTEMTIME local = {};
    ASSERT_TRUE(::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    char expected[32];
    std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d:%02d", local.wYear, local.wMonth, local.wDay,
                  local.wHour, local.wMinute, local.wSecond);
    EXPECT_EQ(expected, WindowText(time));
    EXPECT_EQ("hello from alice\r\n", WindowText(edit));

    // F6 takes the caret to the start of the text.
    PressKey(VK_F6);
    EXPECT_TRUE(Pump([&] { return ::GetFocus() == edit; }));
    EXPECT_EQ(0, Selection(edit).cpMin);
    EXPECT_EQ(0, Selection(edit).cpMax);
}

TEST_F(PaneTest, DetailPaintsTheIconAndClearsIt)
{
    const std::string url = std::string(WebBaseAddress()) + "images/panes/48x48-opaque.png";
    Icons().Add(url.c_str());
    const int index = Icons().IndexOf(url.c_str());
    ASSERT_GE(index, 0);
    const HWND icon = Frame().detailView.GetDlgItem(iconControl);
    RECT client;
    ::GetClientRect(icon, &client);
    const int width = client.right < 48 ? client.right : 48;
    const int height = client.bottom < 48 ? client.bottom : 48;
    ASSERT_GT(width * height, 100);

    // Wine copies a window's drawing to the screen a moment later: wait for it.
    const std::vector<COLORREF> picture = ShownPicturePixels(index, width, height);
    Frame().detailView.ShowEntry(MakeEntry("with picture", "alice", "Alice", url.c_str()));
    EXPECT_TRUE(Pump([&] { return ScreenPixels(icon, width, height) == picture; }));

    Frame().detailView.ShowEntry(MakeEntry("no picture yet"));
    const auto stale = [&] {
        int count = 0;
        for (COLORREF pixel : ScreenPixels(icon, width, height))
            count += pixel != ::GetSysColor(COLOR_3DFACE);
        return count;
    };
    Pump([&] { return stale() == 0; });
    EXPECT_EQ(0, stale());
}
