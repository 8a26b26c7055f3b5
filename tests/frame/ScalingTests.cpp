#include "CToolBarCtrl.h"
#include "DpiScale.h"
#include "FrameHarness.h"
#include "IconCache.h"
#include "TimelineModel.h"
#include "ResourceIds.h"
#include "SiteControl.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// The window with a fixed timeline (names, texts, pictures and times never
// change), captured whole. At 96 DPI it must match, pixel for pixel, the
// capture kept in reference/ that was made before the window learnt to scale.
// Above 96 DPI (a prefix with another LogPixels, scripts/dpi-run.sh) every
// fixed size reads back scaled and nothing is cut off.

namespace {

struct Status {
    const char* user;
    const char* name;
    const char* icon;
    const char* text;
    const char* time;
};

// Oldest first; the last is row 0 and selected.
const Status statuses[] = {
    {"ayako", "綾子", "/images/ayako/56x56.png",
     "今日は朝から雨が降っていて、駅までの道がとても混んでいました。傘を忘れた人も多かったようです。",
     "Wed Mar 10 00:01:07 +0000 2010"},
    {"bob", "bob", "/images/bob/48x48.gif", "Same display and screen name: one line in the first column.",
     "Wed Mar 10 00:02:07 +0000 2010"},
    {"carol", "Carol Ann", "/images/carol/junk.png", "No picture for this author, but the names keep their place.",
     "Wed Mar 10 00:03:07 +0000 2010"},
    {"dan", "ダン", "/images/dan/73x73.jpg",
     "A long English status with a link http://example.com/page and a #tag that wraps onto a second line.",
     "Wed Mar 10 00:04:07 +0000 2010"},
    {"emi", "えみ", "/images/emi/64x64.bmp",
     "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん",
     "Wed Mar 10 00:05:07 +0000 2010"},
};

std::string SourcePath(const char* relative)
{
    return WindowsPath(std::string(LARKSPUR_TEST_SOURCE) + "/" + relative);
}

// A picture file's pixels as COLORREF values, row by row; empty when it
// cannot be read.
std::vector<COLORREF> ReadPicture(const std::string& path, int& width, int& height)
{
    std::vector<COLORREF> pixels;
    std::wstring widePath(path.begin(), path.end());
    Gdiplus::Bitmap picture(widePath.c_str());
    if (picture.GetLastStatus() != Gdiplus::Ok)
        return pixels;
    width = static_cast<int>(picture.GetWidth());
    height = static_cast<int>(picture.GetHeight());
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data;
    if (picture.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) != Gdiplus::Ok)
        return pixels;
    for (int y = 0; y < height; ++y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
        for (int x = 0; x < width; ++x)
            pixels.push_back(RGB(row[x] >> 16 & 0xFF, row[x] >> 8 & 0xFF, row[x] & 0xFF));
    }
    picture.UnlockBits(&data);
    return pixels;
}

class Scaling : public testing::Test {
protected:
    void SetUp() override
    {
        SiteControl::Reset();
        SiteControl::Post("account", "user=scaler&password=secret");
        FrameHarness::WriteAccount("scaler", "secret", "180");
        long long id = 91000000000LL;
        for (const Status& status : statuses) {
            const std::string form = "user=" + SiteControl::Encode(status.user) + "&text="
                                     + SiteControl::Encode(Utf8Of(status.text)) + "&id=" + std::to_string(++id)
                                     + "&time=" + SiteControl::Encode(status.time) + "&name="
                                     + SiteControl::Encode(Utf8Of(status.name)) + "&icon="
                                     + SiteControl::Encode(status.icon);
            ASSERT_TRUE(SiteControl::Post("status", form));
        }
        dpi = SystemDpi();
        // The program's first size at this DPI.
        ASSERT_TRUE(harness.Create(ScaleToDpi(480, dpi), ScaleToDpi(610, dpi)));
        ASSERT_TRUE(harness.PumpUntilShown(std::to_string(id), 30000));
    }

    void TearDown() override { FrameHarness::WriteSettings(""); }

    MainFrame& Frame() { return harness.Frame(); }

    // The whole window once everything is drawn, with the focus in the list
    // so that no caret blinks in the capture.
    std::vector<COLORREF> Capture(int& width, int& height)
    {
        ::SetFocus(Frame().timelineView);
        ::RedrawWindow(Frame(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        harness.PumpPending();
        RECT window;
        Frame().GetWindowRect(&window);
        width = window.right - window.left;
        height = window.bottom - window.top;
        return harness.SettledPixels(window);
    }

    void Save(const std::string& name, const std::vector<COLORREF>& pixels, int width, int height)
    {
        const char* folder = std::getenv("LARKSPUR_SCREENSHOTS");
        if (folder != nullptr) {
            EXPECT_TRUE(WriteBitmap(WindowsPath(folder) + "\\" + name + ".bmp", pixels, width, height));
        }
    }

    // The height of a list row and the size of the list's and the detail
    // pane's pictures, as the controls report them.
    SIZE RowAndPictures(int& largePicture)
    {
        const CListViewCtrl list(Frame().timelineView);
        RECT row = {};
        list.GetItemRect(0, &row, LVIR_BOUNDS);
        int width = 0;
        int height = 0;
        ::ImageList_GetIconSize(list.GetImageList(LVSIL_SMALL), &width, &height);
        int largeHeight = 0;
        ::ImageList_GetIconSize(Icons().LargeIcons(), &largePicture, &largeHeight);
        EXPECT_EQ(width, height);
        EXPECT_EQ(largePicture, largeHeight);
        return {row.bottom - row.top, width};
    }

    // Sends the message the system sends when the window moves to a
    // display of another DPI, with the rectangle it would suggest: the size
    // scaled, at place.
    void ChangeDpi(UINT from, UINT to, POINT place)
    {
        RECT rect;
        Frame().GetWindowRect(&rect);
        const int width = ::MulDiv(rect.right - rect.left, static_cast<int>(to), static_cast<int>(from));
        const int height = ::MulDiv(rect.bottom - rect.top, static_cast<int>(to), static_cast<int>(from));
        RECT suggested = {place.x, place.y, place.x + width, place.y + height};
        Frame().SendMessage(WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
        harness.PumpPending();
    }

    FrameHarness harness;
    UINT dpi = defaultDpi;
};

// A label's text fits its control: the extent of the text in the control's
// font is no wider than its client area.
void ExpectTextFits(HWND control)
{
    char text[256] = "";
    ::GetWindowTextA(control, text, sizeof text);
    const HDC dc = ::GetDC(control);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    RECT client;
    ::GetClientRect(control, &client);
    EXPECT_LE(extent.cx, client.right) << text;
    EXPECT_LE(metrics.tmAscent, client.bottom) << text;
}

// Counts the pixels that differ from the reference and names the first few.
void ExpectSamePixels(const std::vector<COLORREF>& expected, const std::vector<COLORREF>& actual, int width)
{
    ASSERT_EQ(expected.size(), actual.size());
    int differing = 0;
    for (size_t i = 0; i < actual.size(); ++i) {
        if (expected[i] == actual[i])
            continue;
        if (++differing <= 5)
            ADD_FAILURE() << "pixel " << i % width << "," << i / width << ": " << std::hex << actual[i]
                          << " instead of " << expected[i];
    }
    EXPECT_EQ(0, differing);
}

TEST_F(Scaling, WindowAtTheSystemDpi)
{
    int width = 0;
    int height = 0;
    const std::vector<COLORREF> shot = Capture(width, height);
    Save("timeline-" + std::to_string(dpi), shot, width, height);

    int largePicture = 0;
    const SIZE rowAndPicture = RowAndPictures(largePicture);
    EXPECT_EQ(ScaleToDpi(40, dpi), rowAndPicture.cx);
    EXPECT_EQ(ScaleToDpi(32, dpi), rowAndPicture.cy);
    EXPECT_EQ(ScaleToDpi(48, dpi), largePicture);
    std::printf("at %u DPI: row height %ld, list picture %ld, detail picture %d\n", dpi, rowAndPicture.cx,
                rowAndPicture.cy, largePicture);

    // The toolbar's pictures come from the strip nearest the scaled width.
    const CToolBarCtrl toolBar(::GetDlgItem(Frame().topBar, topBarId));
    int imageWidth = 0;
    int imageHeight = 0;
    ::ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(toolBar.SendMessage(TB_GETIMAGELIST)), &imageWidth,
                            &imageHeight);
    const int wanted = ScaleToDpi(16, dpi);
    EXPECT_EQ(wanted < 20 ? 16 : wanted < 28 ? 24 : 32, imageWidth);
    EXPECT_EQ(::MulDiv(17, imageWidth, 16), imageHeight);

    // Nothing is cut off: the labels, the counter, the send button.
    for (const HWND control : {::GetDlgItem(Frame().detailView, nameLabelControl),
                               ::GetDlgItem(Frame().detailView, timeLabelControl),
                               ::GetDlgItem(Frame().composeView, counterControl),
                               ::GetDlgItem(Frame().composeView, sendButtonControl)})
        ExpectTextFits(control);
    // The detail picture fits its frame.
    RECT picture;
    ::GetClientRect(::GetDlgItem(Frame().detailView, iconControl), &picture);
    EXPECT_GE(picture.right, largePicture);
    EXPECT_GE(picture.bottom, largePicture);

    if (dpi != defaultDpi)
        return;
    int referenceWidth = 0;
    int referenceHeight = 0;
    const std::vector<COLORREF> reference =
        ReadPicture(SourcePath("frame/reference/timeline-96.png"), referenceWidth, referenceHeight);
    ASSERT_FALSE(reference.empty()) << "no reference picture";
    ASSERT_EQ(referenceWidth, width);
    ASSERT_EQ(referenceHeight, height);
    ExpectSamePixels(reference, shot, width);
}

// 96 -> 144 -> 96: at 144 every size is scaled, and back at 96 the window is
// as it was, pixel for pixel. From a system above 96 DPI the toolbar keeps
// its strip through a change, which takes its room from the panes: the round
// trip is made from 96 only.
TEST_F(Scaling, DpiChangeAndBack)
{
    if (dpi != defaultDpi)
        GTEST_SKIP() << "made at 96 DPI only";
    int width = 0;
    int height = 0;
    const std::vector<COLORREF> before = Capture(width, height);
    const UINT other = 144;
    const int outerBar = Frame().outerSplitter.GetSplitterPos();

    RECT place;
    Frame().GetWindowRect(&place);
    // At the screen's corner, where the larger window is seen whole.
    ChangeDpi(dpi, other, POINT{0, 0});
    int largePicture = 0;
    SIZE rowAndPicture = RowAndPictures(largePicture);
    EXPECT_EQ(ScaleToDpi(40, other), rowAndPicture.cx);
    EXPECT_EQ(ScaleToDpi(32, other), rowAndPicture.cy);
    EXPECT_EQ(ScaleToDpi(48, other), largePicture);
    RECT window;
    Frame().GetWindowRect(&window);
    EXPECT_EQ(::MulDiv(width, static_cast<int>(other), static_cast<int>(dpi)), window.right - window.left);
    EXPECT_EQ(::MulDiv(outerBar, static_cast<int>(other), static_cast<int>(dpi)), Frame().outerSplitter.GetSplitterPos());
    int otherWidth = 0;
    int otherHeight = 0;
    const std::vector<COLORREF> changed = Capture(otherWidth, otherHeight);
    Save("timeline-" + std::to_string(dpi) + "-to-" + std::to_string(other), changed, otherWidth, otherHeight);

    ChangeDpi(other, dpi, POINT{place.left, place.top});
    rowAndPicture = RowAndPictures(largePicture);
    EXPECT_EQ(ScaleToDpi(40, dpi), rowAndPicture.cx);
    EXPECT_EQ(ScaleToDpi(32, dpi), rowAndPicture.cy);
    int afterWidth = 0;
    int afterHeight = 0;
    const std::vector<COLORREF> after = Capture(afterWidth, afterHeight);
    Save("timeline-" + std::to_string(dpi) + "-and-back", after, afterWidth, afterHeight);
    ASSERT_EQ(width, afterWidth);
    ASSERT_EQ(height, afterHeight);
    ExpectSamePixels(before, after, width);
}

} // namespace
