#include "ProgramProcess.h"
#include "ScreenInput.h"
#include "SiteControl.h"
#include "WebAddress.h"
#include "TempFolder.h"

#include <richedit.h>

#include <gtest/gtest.h>

#include <cstdio>

// One session with the real program, driven by real keyboard and mouse input
// to its window as a person would: read the timeline, write and send a
// status, retweet from the context menu, open links from the detail pane,
// close. Screenshots of each moment go to LARKSPUR_SCREENSHOTS when set.

namespace {

const int waitMs = 20000;

const char linkStatus[] = "see http://localhost/larkspur-link and @alice #larkspur";

// What the recording browser wrote after the given length of its log.
std::string BrowserLogFrom(const std::string& path, long start)
{
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return text;
    if (std::fseek(file, start, SEEK_SET) == 0) {
        char chunk[1024];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            text.append(chunk, n);
    }
    std::fclose(file);
    return text;
}

long FileLength(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? static_cast<long>(data.nFileSizeLow)
                                                                              : 0;
}

// A point inside the character at position index of a rich edit, on screen.
POINT CharacterPoint(HWND edit, int index)
{
    const LRESULT packed = ::SendMessageA(edit, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
    POINT point = {static_cast<short>(LOWORD(packed)) + 3, static_cast<short>(HIWORD(packed)) + 5};
    ::ClientToScreen(edit, &point);
    return point;
}

TEST(ProgramEndToEnd, ReadWriteRetweetOpenLinksAndClose)
{
    ASSERT_TRUE(SiteControl::Reset());
    ASSERT_TRUE(SiteControl::Post("account", "user=alice&password=pw-alice"));
    ASSERT_TRUE(SiteControl::Post("status", "user=bob&id=73000000001&text=" + SiteControl::Encode(linkStatus)));
    ProgramCopy copy;
    ASSERT_TRUE(copy.IsReady());
    ASSERT_TRUE(copy.WriteSettings("Larkspur", "alice", "pw-alice", 180));
    ProgramProcess program;
    ASSERT_TRUE(program.Start(copy.ExePath()));

    // It starts, signs in and shows the timeline.
    const HWND frame = program.WaitForMainWindow(waitMs);
    ASSERT_NE(nullptr, frame);
    const HWND list = FindTimelineList(frame);
    const HWND compose = FindComposeEdit(frame);
    const HWND detail = FindDetailEdit(frame);
    ASSERT_TRUE(list != nullptr && compose != nullptr && detail != nullptr);
    ASSERT_TRUE(PollUntil([&] { return ListItemCount(list) == 1; }, waitMs));
    ASSERT_TRUE(BringToFront(frame));
    SaveScreenshot("e2e-1-timeline", {frame});

    // A status written into the compose pane and sent with Ctrl+S reaches
    // the site once and comes back at the top of the list. Without an input
    // method, Wine's ANSI rich edit garbles double-byte characters typed as
    // Unicode key packets, so the Japanese part is pasted (Ctrl+V, the
    // frame's paste command) and the rest typed.
    ClickAt(Centre(ScreenRectOf(compose)));
    ASSERT_TRUE(PollUntil([&] { return program.FocusWindow() == compose; }, waitMs));
    ASSERT_TRUE(PutOnClipboard(L"テスト投稿"));
    PressKeys({VK_CONTROL, 'V'});
    TypeText(L" from the keyboard");
    ASSERT_TRUE(PollUntil([&] { return EditText(compose) == "テスト投稿 from the keyboard"; }, waitMs))
        << EditText(compose);
    PressKeys({VK_CONTROL, 'S'});
    EXPECT_TRUE(PollUntil(
        [&] {
            return ListItemCount(list) == 2
                   && ListItemText(program.Handle(), list, 0, 1) == "テスト投稿 from the keyboard";
        },
        waitMs));
    EXPECT_EQ(u8"テスト投稿 from the keyboard", SiteControl::Last("status"));
    EXPECT_EQ(1, SiteControl::CountInLog("POST /status/update"));
    EXPECT_EQ("", EditText(compose));
    SaveScreenshot("e2e-2-sent", {frame});

    // A right-click on the other status and the menu's retweet item.
    RECT row = {};
    ASSERT_TRUE(ListItemScreenRect(program.Handle(), list, 1, row));
    ClickAt(Centre(row), true);
    HWND menu = nullptr;
    ASSERT_TRUE(PollUntil([&] { return (menu = program.FindPopupMenu()) != nullptr; }, waitMs));
    SaveScreenshot("e2e-3-menu", {frame, menu});
    PressKeys({'R'});
    EXPECT_TRUE(PollUntil([&] { return EditText(compose) == std::string("RT bob: ") + linkStatus; }, waitMs))
        << EditText(compose);
    SaveScreenshot("e2e-4-retweet", {frame});

    // The detail pane shows the right-clicked status; a click on its web
    // address and on its @name reaches the browser.
    char browserLogSetting[MAX_PATH] = "";
    ::GetEnvironmentVariableA("LARKSPUR_BROWSER_LOG", browserLogSetting, sizeof browserLogSetting);
    ASSERT_NE(0, browserLogSetting[0]) << "LARKSPUR_BROWSER_LOG is not set: no recording browser to open links in";
    const std::string browserLog = WindowsPath(browserLogSetting);
    ASSERT_TRUE(PollUntil([&] { return EditText(detail).find(linkStatus) == 0; }, waitMs)) << EditText(detail);
    const std::string shown = EditText(detail);
    const long logStart = FileLength(browserLog);
    ClickAt(CharacterPoint(detail, static_cast<int>(shown.find("http://")) + 2));
    const std::string firstOpened = "http://localhost/larkspur-link\n";
    EXPECT_TRUE(PollUntil([&] { return BrowserLogFrom(browserLog, logStart) == firstOpened; }, waitMs))
        << BrowserLogFrom(browserLog, logStart);
    ClickAt(CharacterPoint(detail, static_cast<int>(shown.find("@alice")) + 2));
    const std::string bothOpened = firstOpened + WebBaseAddress() + "alice\n";
    EXPECT_TRUE(PollUntil([&] { return BrowserLogFrom(browserLog, logStart) == bothOpened; }, waitMs))
        << BrowserLogFrom(browserLog, logStart);
    SaveScreenshot("e2e-5-links", {frame});

    // Closing ends the run with exit code 1.
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, program.WaitForExit(10000));
    // Nothing of the run went to the site in clear: the sign-in, the
    // timeline, the post and the pictures all over TLS.
    EXPECT_EQ(0, SiteControl::CountInLog("http ")) << SiteControl::Log();
    EXPECT_GT(SiteControl::CountInLog("https GET / 200"), 0);
}

} // namespace
