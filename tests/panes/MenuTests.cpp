#include "PaneTesting.h"

#include "ResourceIds.h"
#include "SiteControl.h"
#include "TimelineModel.h"
#include "TimelineReader.h"
#include "WebAddress.h"

#include <cstring>

namespace {

std::vector<UINT> Ids(const ShownMenu& menu, bool greyOnly = false)
{
    std::vector<UINT> ids;
    for (const MenuItem& item : menu.items) {
        if (item.grey || !greyOnly)
            ids.push_back(item.id);
    }
    return ids;
}

std::vector<UINT> Greyed(const ShownMenu& menu)
{
    return Ids(menu, true);
}

void ExpectOrigin(POINT expected, const MenuWatcher& watcher)
{
    EXPECT_EQ(expected.x, watcher.Last().origin.x);
    EXPECT_EQ(expected.y, watcher.Last().origin.y);
}

void SetClipboardText(const char* text)
{
    ::OpenClipboard(nullptr);
    ::EmptyClipboard();
    if (text != nullptr) {
        const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
        std::strcpy(static_cast<char*>(::GlobalLock(memory)), text);
        ::GlobalUnlock(memory);
        ::SetClipboardData(CF_TEXT, memory);
    }
    ::CloseClipboard();
}

std::string ClipboardText()
{
    std::string text;
    ::OpenClipboard(nullptr);
    if (const HANDLE data = ::GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

// A context menu as the system delivers it for a click on `clicked`.
void ContextMenuMessage(HWND receiver, HWND clicked)
{
    RECT place;
    ::GetWindowRect(clicked, &place);
    ::SendMessageA(receiver, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(clicked), MAKELPARAM(place.left + 2, place.top + 2));
}

} // namespace

TEST_F(PaneTest, TimelineMenuNeedsASelectedRow)
{
    TimelineView& list = Frame().timelineView;
    MenuWatcher watcher;
    list.SetItemState(-1, 0, LVIS_SELECTED);
    ContextMenuMessage(list, list);
    EXPECT_EQ(0, watcher.Seen());

    ClickAt(RowPoint(bobStatusId), true);
    ASSERT_TRUE(Pump([&] { return watcher.Seen() == 1; }));
    EXPECT_EQ(list.GetSelectedIndex(), Frame().shownTimeline.IndexOf(bobStatusId));
    const std::vector<UINT> items = {replyCommand, directMessageCommand, retweetCommand, 0, openHomePageCommand};
    EXPECT_EQ(items, Ids(watcher.Last()));
    EXPECT_TRUE(Greyed(watcher.Last()).empty());
    ExpectOrigin(RowPoint(bobStatusId), watcher);

    // The menu key opens it at (50,20) of the list.
    ASSERT_TRUE(SelectStatus(aliceStatusId));
    ::SetFocus(list);
    PressKey(VK_APPS);
    ASSERT_TRUE(Pump([&] { return watcher.Seen() == 2; }));
    POINT corner = {50, 20};
    ::ClientToScreen(list, &corner);
    ExpectOrigin(corner, watcher);
}

TEST_F(PaneTest, TimelineCommandsFillTheComposeBox)
{
    const HWND edit = Frame().composeView.Edit();
    const HWND counter = Frame().composeView.GetDlgItem(counterControl);
    struct {
        const char* statusId;
        UINT command;
        std::string text;
        LONG caret;
        const char* left;
        COLORREF background;
    } const cases[] = {
        {aliceStatusId, directMessageCommand, "D alice ", 8, "132", RGB(198, 255, 198)},
        {bobStatusId, retweetCommand, "RT bob: bob says hi", 0, "121", RGB(255, 255, 255)},
        // Longer than the limit: the program's text is kept, the count goes below zero.
        {carolStatusId, retweetCommand, "RT carol: " + std::string(150, 'c'), 0, "-20", RGB(255, 255, 255)},
    };
    for (const auto& test : cases) {
        ::SetWindowTextA(edit, "");
        ::SetFocus(Frame().timelineView);
        MenuWatcher watcher(test.command);
        ClickAt(RowPoint(test.statusId), true);
        EXPECT_TRUE(Pump([&] { return WindowText(edit) == test.text; })) << test.text;
        EXPECT_EQ(test.caret, Selection(edit).cpMin) << test.text;
        EXPECT_EQ(test.caret, Selection(edit).cpMax) << test.text;
        EXPECT_EQ(edit, ::GetFocus()) << test.text;
        EXPECT_EQ(test.left, WindowText(counter)) << test.text;
        EXPECT_EQ(test.background, EditBackground(edit)) << test.text;
    }

    BrowserLog browser;
    ASSERT_TRUE(browser.Ready()) << "LARKSPUR_BROWSER_LOG is not set";
    MenuWatcher watcher(openHomePageCommand);
    ClickAt(RowPoint(aliceStatusId), true);
    EXPECT_TRUE(browser.WaitFor(harness, std::string(WebBaseAddress()) + "alice"));
}

TEST_F(PaneTest, TimelineCommandActsOnTheRowClickedWhileStatusesArrive)
{
    MainFrame& frame = Frame();
    const int before = TimelineReaderOf().GetCount();
    AddStatus("20000000004", "dave", "newer than the others", "Tue Jan 05 09:00:00 +0000 2010");
    // The next tick, which comes while the menu is open, fetches the page.
    frame.tickCount = frame.reloadInterval + 1;
    std::atomic<bool> arrived{false};
    MenuWatcher watcher(directMessageCommand, [&] {
        const ULONGLONG deadline = ::GetTickCount64() + 20000;
        while (TimelineReaderOf().GetCount() == before && ::GetTickCount64() < deadline)
            ::Sleep(20);
        arrived = TimelineReaderOf().GetCount() > before;
    });
    ClickAt(RowPoint(aliceStatusId), true);
    const HWND edit = frame.composeView.Edit();
    EXPECT_TRUE(Pump([&] { return !WindowText(edit).empty(); }, 30000));
    EXPECT_TRUE(arrived);
    EXPECT_EQ("D alice ", WindowText(edit));
}

TEST_F(PaneTest, DetailMenuOnlyOverItsTextCopiesTheSelection)
{
    DetailView& detail = Frame().detailView;
    const HWND edit = detail.Edit();
    detail.ShowEntry(MakeEntry("copy this text"));
    MenuWatcher watcher(copyTextCommand);
    ContextMenuMessage(detail, detail.GetDlgItem(iconControl));
    ContextMenuMessage(detail, detail.GetDlgItem(nameLabelControl));
    EXPECT_EQ(0, watcher.Seen());

    SetClipboardText("old");
    ClickAt(CharacterPoint(edit, 3), true);
    ASSERT_TRUE(Pump([&] { return watcher.Seen() == 1; }));
    EXPECT_EQ(std::vector<UINT>{copyTextCommand}, Ids(watcher.Last()));
    EXPECT_EQ(std::vector<UINT>{copyTextCommand}, Greyed(watcher.Last()));

    CHARRANGE range = {0, 4};
    ::SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    ClickAt(CharacterPoint(edit, 2), true);
    ASSERT_TRUE(Pump([&] { return watcher.Seen() == 2; }));
    EXPECT_TRUE(Greyed(watcher.Last()).empty());
    EXPECT_TRUE(Pump([] { return ClipboardText() == "copy"; }));
}

TEST_F(PaneTest, ComposeMenuGreysAndEdits)
{
    ComposeView& compose = Frame().composeView;
    const HWND edit = compose.Edit();
    struct {
        CHARRANGE selection;
        const char* clipboard;
        std::vector<UINT> greyed;
    } const rules[] = {
        {{5, 5}, nullptr, {cutCommand, copyCommand, pasteCommand, deleteCommand}},
        {{0, 2}, nullptr, {pasteCommand}},
        {{0, 2}, "text", {}},
        {{3, 3}, "text", {cutCommand, copyCommand, deleteCommand}},
    };
    for (const auto& test : rules) {
        ::SetWindowTextA(edit, "hello");
        ::SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&test.selection));
        SetClipboardText(test.clipboard);
        ::SetFocus(edit);
        MenuWatcher watcher;
        PressKey(VK_APPS);
        ASSERT_TRUE(Pump([&] { return watcher.Seen() == 1; }));
        EXPECT_EQ(test.greyed, Greyed(watcher.Last())) << test.selection.cpMin << ".." << test.selection.cpMax;
        POINT corner = {50, 20};
        ::ClientToScreen(compose, &corner);
        ExpectOrigin(corner, watcher);
        // Outside the text box there is no menu.
        ContextMenuMessage(compose, compose.GetDlgItem(sendButtonControl));
        ContextMenuMessage(compose, compose.GetDlgItem(counterControl));
        EXPECT_EQ(1, watcher.Seen());
    }

    // Select all takes positions 0 to 256 whatever the length; delete clears the selection.
    struct {
        std::string text;
        CHARRANGE selection;
        UINT command;
        std::string after;
        CHARRANGE selected;
    } const edits[] = {
        {std::string(300, 'x'), {5, 5}, selectAllCommand, std::string(300, 'x'), {0, 256}},
        {"hello world", {0, 6}, deleteCommand, "world", {0, 0}},
    };
    for (const auto& test : edits) {
        ::SetWindowTextA(edit, test.text.c_str());
        ::SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&test.selection));
        ::SetFocus(edit);
        MenuWatcher watcher(test.command);
        PressKey(VK_APPS);
        EXPECT_TRUE(Pump([&] {
            const CHARRANGE now = Selection(edit);
            return watcher.Seen() == 1 && now.cpMin == test.selected.cpMin && now.cpMax == test.selected.cpMax;
        })) << test.text;
        EXPECT_EQ(test.after, WindowText(edit));
    }
}
