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

struct Shot {
    std::vector<COLORREF> pixels;
    int width;
    int height;
};

// A picture file's pixels as COLORREF values, row by row; no pixels when
// it cannot be read.
Shot ReadPicture(const std::string& path)
{
    Shot shot = {{}, 0, 0};
    const std::wstring widePath(path.begin(), path.end());
    Gdiplus::Bitmap picture(widePath.c_str());
    Gdiplus::BitmapData data;
    Gdiplus::Rect all(0, 0, static_cast<int>(picture.GetWidth()), static_cast<int>(picture.GetHeight()));
    if (picture.GetLastStatus() != Gdiplus::Ok
        || picture.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) != Gdiplus::Ok)
        return shot;
    shot.width = all.Width;
    shot.height = all.Height;
    for (int y = 0; y < all.Height; ++y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
        for (int x = 0; x < all.Width; ++x)
            shot.pixels.push_back(RGB(row[x] >> 16 & 0xFF, row[x] >> 8 & 0xFF, row[x] & 0xFF));
    }
    picture.UnlockBits(&data);
    return shot;
}

// Counts the pixels that differ from the reference and names the first few.
void ExpectSamePixels(const Shot& expected, const Shot& actual)
{
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    ASSERT_EQ(expected.pixels.size(), actual.pixels.size());
    int differing = 0;
    for (size_t i = 0; i < actual.pixels.size(); ++i) {
        if (expected.pixels[i] != actual.pixels[i] && ++differing <= 5)
            ADD_FAILURE() << "pixel " << i % actual.width << "," << i / actual.width << ": " << std::hex
                          << actual.pixels[i] << " instead of " << expected.pixels[i];
    }
    EXPECT_EQ(0, differing);
}

class Scaling : public testing::Test {
protected:
    void SetUp() override
    {
        SiteControl::Reset();
        FrameHarness::UseAccount("scaler");
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
    // so that no caret blinks in the capture; saved as name.bmp among the
    // screenshots when a folder for them is set.
    Shot Capture(const std::string& name)
    {
        ::SetFocus(Frame().timelineView);
        ::RedrawWindow(Frame(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        harness.PumpPending();
        RECT window;
        Frame().GetWindowRect(&window);
        Shot shot = {harness.SettledPixels(window), window.right - window.left, window.bottom - window.top};
        if (const char* folder = std::getenv("LARKSPUR_SCREENSHOTS")) {
            EXPECT_TRUE(WriteBitmap(WindowsPath(folder) + "\\" + name + ".bmp", shot.pixels, shot.width, shot.height));
        }
        return shot;
    }

    // The height of a list row and the size of the list's and the detail
    // pane's (square) pictures, as the controls report them, are those of
    // the program at dpi. Returns the detail picture's size.
    int ExpectRowAndPicturesAt(UINT at)
    {
        const CListViewCtrl list(Frame().timelineView);
        RECT row = {};
        list.GetItemRect(0, &row, LVIR_BOUNDS);
        int small[2] = {};
        int large[2] = {};
        ::ImageList_GetIconSize(list.GetImageList(LVSIL_SMALL), &small[0], &small[1]);
        ::ImageList_GetIconSize(Icons().LargeIcons(), &large[0], &large[1]);
        EXPECT_EQ(ScaleToDpi(40, at), row.bottom - row.top);
        EXPECT_EQ(ScaleToDpi(32, at), small[0]);
        EXPECT_EQ(ScaleToDpi(48, at), large[0]);
        EXPECT_EQ(small[0], small[1]);
        EXPECT_EQ(large[0], large[1]);
        return large[0];
    }

    // What a change of DPI must reach besides the rows, as the controls
    // report it.
    struct Bars {
        int listFont;
        int headerFont;
        // With the grip's room beside it.
        int countPane;
        int buttonHeight;
        int toolBarPicture;
        int outerBar;
        int innerBar;

        std::vector<int> All() const
        {
            return {listFont, headerFont, countPane, buttonHeight, toolBarPicture, outerBar, innerBar};
        }
    };

    Bars MeasureBars()
    {
        const CListViewCtrl list(Frame().timelineView);
        const HWND toolBar = ::GetDlgItem(Frame().topBar, topBarId);
        int parts[2] = {};
        ::SendMessageA(Frame().statusBar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts));
        RECT status;
        ::GetClientRect(Frame().statusBar, &status);
        int imageWidth = 0;
        int imageHeight = 0;
        ::ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(::SendMessageA(toolBar, TB_GETIMAGELIST, 0, 0)),
                                &imageWidth, &imageHeight);
        return {FontHeight(list),
                FontHeight(list.GetHeader()),
                status.right - parts[0],
                HIWORD(::SendMessageA(toolBar, TB_GETBUTTONSIZE, 0, 0)),
                imageWidth,
                Frame().outerSplitter.GetBarThickness(),
                Frame().innerSplitter.GetBarThickness()};
    }

    static int FontHeight(HWND control)
    {
        LOGFONTA font = {};
        ::GetObjectA(reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        return std::abs(font.lfHeight);
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

// The toolbar's pictures at dpi: the strip nearest 16 pixels scaled.
int StripWidthAt(UINT dpi)
{
    const int wanted = ScaleToDpi(16, dpi);
    return wanted < 20 ? 16 : wanted < 28 ? 24 : 32;
}

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

TEST_F(Scaling, WindowAtTheSystemDpi)
{
    const Shot shot = Capture("timeline-" + std::to_string(dpi));
    const int largePicture = ExpectRowAndPicturesAt(dpi);

    // The toolbar's pictures come from the strip nearest the scaled width.
    const CToolBarCtrl toolBar(::GetDlgItem(Frame().topBar, topBarId));
    int imageWidth = 0;
    int imageHeight = 0;
    ::ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(toolBar.SendMessage(TB_GETIMAGELIST)), &imageWidth,
                            &imageHeight);
    EXPECT_EQ(StripWidthAt(dpi), imageWidth);
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

    if (dpi == defaultDpi)
        ExpectSamePixels(ReadPicture(SourcePath("frame/reference/timeline-96.png")), shot);
}

// 96 -> 144 -> 96: at 144 every size is scaled, and back at 96 the window is
// as it was, pixel for pixel. Made from 96 only; from a system above 96 DPI
// the round trip to twice its DPI below stands in.
TEST_F(Scaling, DpiChangeAndBack)
{
    if (dpi != defaultDpi)
        GTEST_SKIP() << "made at 96 DPI only";
    const Shot before = Capture("timeline-96-before");
    const int outerBar = Frame().outerSplitter.GetSplitterPos();

    RECT place;
    Frame().GetWindowRect(&place);
    // At the screen's corner, where the larger window is seen whole.
    ChangeDpi(dpi, 144, POINT{0, 0});
    ExpectRowAndPicturesAt(144);
    EXPECT_EQ(::MulDiv(before.width, 144, 96), Capture("timeline-96-to-144").width);
    EXPECT_EQ(::MulDiv(outerBar, 144, 96), Frame().outerSplitter.GetSplitterPos());

    ChangeDpi(144, dpi, POINT{place.left, place.top});
    ExpectRowAndPicturesAt(dpi);
    ExpectSamePixels(before, Capture("timeline-96-and-back"));
}

// To twice the DPI and back: the list's font and its header's double, as
// does the count pane but for rounding (up to a pixel for each of its 19
// characters, whose widths round one by one, and one each for its padding
// and the grip's room); the toolbar takes the strip nearest the new DPI and
// taller buttons; the splitter bars grow. Back at the first DPI everything
// is as it was.
TEST_F(Scaling, DpiChangeReachesBarsAndList)
{
    const Bars before = MeasureBars();
    RECT place;
    Frame().GetWindowRect(&place);
    ChangeDpi(dpi, 2 * dpi, POINT{0, 0});
    const Bars twice = MeasureBars();
    EXPECT_EQ(2 * before.listFont, twice.listFont);
    EXPECT_EQ(2 * before.headerFont, twice.headerFont);
    EXPECT_NEAR(2 * before.countPane, twice.countPane, 19 + 2);
    EXPECT_GT(twice.buttonHeight, before.buttonHeight);
    EXPECT_EQ(StripWidthAt(2 * dpi), twice.toolBarPicture);
    EXPECT_GT(twice.outerBar, before.outerBar);
    EXPECT_GT(twice.innerBar, before.innerBar);

    ChangeDpi(2 * dpi, dpi, POINT{place.left, place.top});
    EXPECT_EQ(before.All(), MeasureBars().All());
}

} // namespace
