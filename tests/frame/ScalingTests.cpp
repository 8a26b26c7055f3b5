#include "FrameHarness.h"
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

std::string Utf8Of(const char* text)
{
    wchar_t wide[512];
    const int length = ::MultiByteToWideChar(932, 0, text, -1, wide, 512);
    char utf8[1024];
    ::WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

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

// A 32-bit top-down BMP of pixels, for a person (and the reference) to use.
bool WriteBitmap(const std::string& path, const std::vector<COLORREF>& pixels, int width, int height)
{
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {sizeof info, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
    std::vector<DWORD> bits;
    for (const COLORREF colour : pixels)
        bits.push_back(static_cast<DWORD>(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour));
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(bits.data(), sizeof(DWORD), bits.size(), out);
    return std::fclose(out) == 0;
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
        ASSERT_TRUE(harness.Create());
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

    FrameHarness harness;
};

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

TEST_F(Scaling, At96DpiTheWindowIsAsBefore)
{
    int width = 0;
    int height = 0;
    const std::vector<COLORREF> shot = Capture(width, height);
    Save("timeline-96", shot, width, height);
    int referenceWidth = 0;
    int referenceHeight = 0;
    const std::vector<COLORREF> reference =
        ReadPicture(SourcePath("frame/reference/timeline-96.png"), referenceWidth, referenceHeight);
    ASSERT_FALSE(reference.empty()) << "no reference picture";
    ASSERT_EQ(referenceWidth, width);
    ASSERT_EQ(referenceHeight, height);
    ExpectSamePixels(reference, shot, width);
}

} // namespace
