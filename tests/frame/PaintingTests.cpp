#include "FrameHarness.h"
#include "SiteControl.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const COLORREF white = RGB(255, 255, 255);
const COLORREF selectedFrame = RGB(69, 129, 217);
const COLORREF selectedCell = RGB(204, 212, 225);
const COLORREF separator = RGB(69, 69, 69);

struct Author {
    const char* user;
    const char* name;
    const char* icon;
    const char* text;
};

// Added in this order, so the last is row 0.
const Author authors[] = {
    {"ayako", "綾子", "/images/ayako/56x56.png",
     "今日は朝から雨が降っていて、駅までの道がとても混んでいました。傘を忘れた人も多かったようです。"},
    {"bob", "bob", "/images/bob/48x48.gif", "Same display and screen name: one line in the first column."},
    {"carol", "Carol Ann", "/images/carol/junk.png", "No picture for this author, but the names keep their place."},
    {"dan", "ダン", "/images/dan/73x73.jpg",
     "A long English status with a link http://example.com/page and a #tag that wraps onto a second line."},
    {"emi", "えみ", "/images/emi/64x64.bmp",
     "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
     "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"},
};
const int authorCount = sizeof authors / sizeof authors[0];

bool IsDark(COLORREF colour)
{
    return GetRValue(colour) < 128 && GetGValue(colour) < 128 && GetBValue(colour) < 128;
}

class Painting : public testing::Test {
protected:
    void SetUp() override
    {
        SiteControl::Reset();
        SiteControl::Post("account", "user=painter&password=secret");
        FrameHarness::WriteAccount("painter", "secret", "180");
        std::string newest;
        for (const Author& author : authors) {
            newest = AddNewestStatus(author.user, author.text, author.name, author.icon);
            ASSERT_FALSE(newest.empty());
        }
        ASSERT_TRUE(harness.Create());
        // With their pictures: the scrape ends once they are cached.
        ASSERT_TRUE(harness.PumpUntilShown(newest, 30000));
        Repaint();
    }

    void TearDown() override { FrameHarness::WriteSettings(""); }

    MainFrame& Frame() { return harness.Frame(); }
    CListViewCtrl List() { return CListViewCtrl(Frame().timelineView); }
    static int RowOf(int author) { return authorCount - 1 - author; }

    void Repaint()
    {
        List().Invalidate(true);
        Frame().UpdateWindow();
        List().UpdateWindow();
        harness.PumpPending();
        RECT rect;
        List().GetClientRect(&rect);
        ::MapWindowPoints(List(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
        listWidth = rect.right - rect.left;
        pixels = harness.SettledPixels(rect);
    }

    // A pixel of the list as last captured, in its client coordinates.
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * listWidth + x]; }

    RECT RowRect(int row)
    {
        RECT rect = {};
        List().GetItemRect(row, &rect, LVIR_BOUNDS);
        return rect;
    }

    // A header item's left edge in the list's client coordinates.
    int ColumnLeft(int column)
    {
        const HWND header = List().GetHeader();
        RECT item = {};
        ::SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item));
        ::MapWindowPoints(header, List(), reinterpret_cast<POINT*>(&item), 2);
        return item.left;
    }

    // The first dark pixel of a row from x on, -1 when none within span.
    int FirstInk(int row, int x, int span)
    {
        const RECT rect = RowRect(row);
        for (int column = x; column < x + span && column < listWidth; ++column) {
            for (int y = rect.top + 2; y < rect.bottom - 2; ++y) {
                if (IsDark(At(column, y)))
                    return column;
            }
        }
        return -1;
    }

    std::string CellText(int row, int column, int size, char* buffer)
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = size;
        List().GetItem(&item);
        return item.pszText;
    }

    FrameHarness harness;
    int listWidth = 0;
    std::vector<COLORREF> pixels;
};

TEST_F(Painting, RowsInTheirColours)
{
    char buffer[512];
    for (int author = 0; author < authorCount; ++author) {
        const Author& a = authors[author];
        const std::string names = std::string(a.name) == a.user ? a.user : std::string(a.name) + "\n" + a.user;
        EXPECT_EQ(names, CellText(RowOf(author), 0, sizeof buffer, buffer)) << a.user;
        const RECT rect = RowRect(RowOf(author));
        EXPECT_EQ(40, rect.bottom - rect.top) << a.user;
    }

    // Row 0 is selected: a blue frame round pale cells. Row 1 is not: white
    // cells over a dotted dark line.
    ASSERT_EQ(0, List().GetSelectedIndex());
    const RECT selected = RowRect(0);
    const RECT plain = RowRect(1);
    EXPECT_EQ(selectedFrame, At(selected.right / 2, selected.top));
    EXPECT_EQ(selectedFrame, At(selected.right / 2, selected.bottom - 1));
    EXPECT_EQ(selectedCell, At(selected.right - 8, selected.bottom - 4));
    EXPECT_EQ(white, At(plain.right - 8, plain.bottom - 4));
    int dots = 0;
    int gaps = 0;
    for (int x = plain.left; x < plain.right; ++x) {
        dots += At(x, plain.bottom - 1) == separator ? 1 : 0;
        gaps += At(x, plain.bottom - 1) == white ? 1 : 0;
    }
    EXPECT_GT(dots, 20);
    EXPECT_GT(gaps, 20);

    // The names sit 34 pixels in, past the picture or past where it would be.
    const int nameLeft = ColumnLeft(0) + 1 + 34 + 3;
    for (int author : {1, 2}) {
        const RECT rect = RowRect(RowOf(author));
        int picture = 0;
        for (int y = rect.top + 5; y < rect.top + 35; ++y) {
            for (int x = ColumnLeft(0) + 3; x < ColumnLeft(0) + 35; ++x)
                picture += At(x, y) != white ? 1 : 0;
        }
        EXPECT_EQ(authors[author].icon == std::string("/images/carol/junk.png"), picture == 0) << authors[author].user;
        const int ink = FirstInk(RowOf(author), ColumnLeft(0) + 35, 40);
        EXPECT_GE(ink, nameLeft) << authors[author].user;
        EXPECT_LE(ink, nameLeft + 3) << authors[author].user;
    }

    // The whole window for a person to look at.
    if (const char* folder = std::getenv("LARKSPUR_SCREENSHOTS")) {
        RECT window;
        Frame().GetWindowRect(&window);
        const std::vector<COLORREF> shot = harness.SettledPixels(window);
        EXPECT_TRUE(WriteBitmap(WindowsPath(folder) + "\\frame-timeline.bmp", shot, window.right - window.left,
                                window.bottom - window.top));
    }
}

TEST_F(Painting, CellsScrollWithTheHeader)
{
    // Where a row's texts start, from their header item's left edge.
    const int row = RowOf(3);
    const auto offset = [&](int column) {
        const int left = ColumnLeft(column);
        return FirstInk(row, left + (column == 0 ? 35 : -2), 60) - left;
    };
    const int unscrolled[] = {offset(0), offset(1)};
    ASSERT_GT(unscrolled[0], 0);
    ASSERT_GT(unscrolled[1], 0);
    // Only a first column wider than the list makes it scroll, since each
    // size change fits the second to what is left. Scrolled by 30 the names
    // are in view, by 200 the status text.
    List().SetColumnWidth(0, 500);
    for (const int column : {0, 1}) {
        List().SendMessage(LVM_SCROLL, column == 0 ? 30 : 170, 0);
        Repaint();
        EXPECT_EQ(unscrolled[column], offset(column)) << column;
    }
    EXPECT_EQ(200, ::GetScrollPos(List(), SB_HORZ));
    EXPECT_EQ(-200, ColumnLeft(0));
}

TEST_F(Painting, CellTextIsCutBetweenCharacters)
{
    // Column 1 of the last author holds only double-byte characters, column
    // 0 "えみ\nemi". Bytes past the buffer the caller gave stay untouched.
    struct Case {
        int column;
        int size;
        const char* expected;
    };
    const Case cases[] = {
        {1, 1, ""}, {1, 2, ""},     {1, 3, "あ"},     {1, 4, "あ"},     {1, 7, "あいう"},
        {0, 4, "え"}, {0, 5, "えみ"}, {0, 6, "えみ\n"}, {0, 9, "えみ\nemi"}, {0, 8, "えみ\nem"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.column << " in " << c.size);
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(c.expected, CellText(RowOf(4), c.column, c.size, buffer));
        for (int i = c.size; i < static_cast<int>(sizeof buffer); ++i)
            EXPECT_EQ('#', buffer[i]) << i;
    }
}

} // namespace
