#include "PaneTesting.h"

#include "ResourceIds.h"
#include "SiteControl.h"

namespace {

const COLORREF directMessageGreen = RGB(198, 255, 198);
const COLORREF white = RGB(255, 255, 255);

HWND Counter(MainFrame& frame)
{
    return frame.composeView.GetDlgItem(counterControl);
}

RECT PlaceIn(HWND parent, HWND child)
{
    RECT rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

TEST_F(PaneTest, ComposeCountsTypedCharactersToTheLimit)
{
    const HWND edit = Frame().composeView.Edit();
    EXPECT_EQ("140", WindowText(Counter(Frame())));
    // One ASCII letter and one double-byte character count the same.
    for (const std::string letter : {"a", "あ"}) {
        ::SetWindowTextA(edit, "");
        ::SetFocus(edit);
        std::string full;
        for (int count = 0; count < 140; ++count)
            full += letter;
        TypeText(full);
        EXPECT_TRUE(Pump([&] { return WindowText(edit) == full; })) << letter;
        EXPECT_EQ("0", WindowText(Counter(Frame()))) << letter;
        // The 141st is refused; Home, handled after it, tells that it came.
        TypeText(letter);
        PressKey(VK_HOME);
        EXPECT_TRUE(Pump([&] { return Selection(edit).cpMax == 0; })) << letter;
        EXPECT_EQ(full, WindowText(edit)) << letter;
    }
}

TEST_F(PaneTest, ComposeTurnsGreenForDirectMessages)
{
    struct {
        const char* text;
        COLORREF colour;
    } const cases[] = {
        {"D alice hello", directMessageGreen}, {"d alice", directMessageGreen}, {"Dalice", white},
        {" D alice", white},                   {"DM alice", white},             {"", white},
    };
    const HWND edit = Frame().composeView.Edit();
    ::SetFocus(edit);
    for (const auto& test : cases) {
        ::SetWindowTextA(edit, "");
        TypeText(test.text);
        EXPECT_TRUE(Pump([&] { return WindowText(edit) == test.text; })) << test.text;
        EXPECT_EQ(test.colour, EditBackground(edit)) << test.text;
    }
}

TEST_F(PaneTest, ComposeSendsOnceByCtrlSAndByTheButton)
{
    MainFrame& frame = Frame();
    const HWND edit = frame.composeView.Edit();
    ::SetFocus(edit);
    TypeText("first post");
    ASSERT_TRUE(Pump([&] { return WindowText(edit) == "first post"; }));
    PressKey('S', VK_CONTROL);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_TRUE(Pump([&] { return WindowText(edit).empty(); }));
    EXPECT_GE(::GetTickCount64() - start, 190u);
    EXPECT_TRUE(Pump([] { return SiteControl::Last("status") == "first post"; }, 15000));

    // Enter breaks the line and sends nothing; the button sends.
    TypeText("line one");
    PressKey(VK_RETURN);
    TypeText("line two");
    ASSERT_TRUE(Pump([&] { return WindowText(edit) == "line one\r\nline two"; }));
    RECT button;
    ::GetWindowRect(frame.composeView.GetDlgItem(sendButtonControl), &button);
    ClickAt({(button.left + button.right) / 2, (button.top + button.bottom) / 2});
    EXPECT_TRUE(Pump([&] { return WindowText(edit).empty(); }));
    EXPECT_TRUE(Pump([] { return SiteControl::Last("status") == "line one\r\nline two"; }, 15000));
    EXPECT_EQ(2, SiteControl::CountInLog("POST /status/update"));
}

TEST_F(PaneTest, ComposeFocusTabAndLayout)
{
    MainFrame& frame = Frame();
    ComposeView& compose = frame.composeView;
    const HWND edit = compose.Edit();
    ::SetFocus(edit);
    TypeText("@alice #tag http://localhost/x end");
    ASSERT_TRUE(Pump([&] { return Selection(edit).cpMin == 34; }));
    // Names and tags typed here are plain text; only the address is a link.
    EXPECT_EQ(std::vector<std::string>{"http://localhost/x"}, MarkedRuns(edit, false));

    // F7 focuses the pane, which puts the caret before the first character.
    ::SetFocus(edit);
    PressKey(VK_F7);
    EXPECT_TRUE(Pump([&] { return Selection(edit).cpMax == 0; }));
    EXPECT_EQ(0, Selection(edit).cpMin);
    EXPECT_EQ(edit, ::GetFocus());

    PressKey(VK_TAB);
    EXPECT_TRUE(Pump([&] { return ::GetFocus() == compose.GetDlgItem(sendButtonControl); }));

    // The counter keeps a 13-pixel strip above the button at any size.
    struct {
        int width;
        int height;
    } const sizes[] = {{480, 610}, {760, 480}, {360, 900}};
    for (const auto& size : sizes) {
        ::SetWindowPos(frame, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER);
        harness.PumpPending();
        RECT client;
        compose.GetClientRect(&client);
        const RECT counter = PlaceIn(compose, Counter(frame));
        const RECT button = PlaceIn(compose, compose.GetDlgItem(sendButtonControl));
        EXPECT_EQ(0, counter.top) << size.width;
        EXPECT_EQ(13, counter.bottom) << size.width;
        EXPECT_EQ(14, button.top) << size.width;
        EXPECT_EQ(client.bottom - 5, button.bottom) << size.width;
        EXPECT_EQ(client.right - 75, counter.left) << size.width;
        EXPECT_EQ(client.right - 8, counter.right) << size.width;
        EXPECT_EQ(counter.left, button.left) << size.width;
        EXPECT_EQ(counter.right, button.right) << size.width;
    }
}
