#include "PaneTesting.h"

#include "ResourceIds.h"
#include "TempFolder.h"
#include "WebAddress.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// While it lives, javascript: addresses go to the browser launcher as web
// addresses do, so one handed to the shell would be recorded.
class JavascriptHandler {
public:
    JavascriptHandler()
    {
        char system[MAX_PATH] = "";
        ::GetSystemDirectoryA(system, sizeof system);
        const std::string command = "\"" + std::string(system) + "\\winebrowser.exe\" \"%1\"";
        ::RegSetKeyValueA(HKEY_CLASSES_ROOT, "javascript\\shell\\open\\command", nullptr, REG_SZ, command.c_str(),
                          static_cast<DWORD>(command.size() + 1));
    }
    ~JavascriptHandler() { ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "javascript"); }
};

// A batch file that, when anything runs it, appends a line to marks.
void WriteMarkingBatch(const std::string& path, const std::string& marks)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fprintf(file, "@echo off\r\necho %s>>%s\r\n", path.c_str(), marks.c_str());
    std::fclose(file);
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST_F(PaneTest, LinkClicksOpenTheirAddresses)
{
    BrowserLog browser;
    ASSERT_TRUE(browser.Ready()) << "LARKSPUR_BROWSER_LOG is not set";
    const std::string base = WebBaseAddress();
    struct {
        bool compose;
        std::string text;
        std::string link;
        std::string address;
    } const cases[] = {
        // Two clicks in a row land apart, or the second would be a double click.
        // The address ends the compose text; its last character is clicked.
        {true, "see " + base + "end", base + "end", base + "end"},
        {false, "visit " + base + "page now", base + "page", base + "page"},
        {false, "about #larkspur here", "#larkspur", base + "search?q=%23larkspur"},
        {false, "#say\"hi now", "#say\"hi", base + "search?q=%23say%22hi"},
        {false, "ask @alice: ok", "@alice", base + "alice"},
        // The site reads UTF-8: half-width katakana go as three bytes each.
        {false, "#ｶﾀｶﾅ here", "#ｶﾀｶﾅ", base + "search?q=%23%EF%BD%B6%EF%BE%80%EF%BD%B6%EF%BE%85"},
        {false, "first line\r\nsee @bob here", "@bob", base + "bob"},
    };
    std::vector<std::string> opened;
    for (const auto& test : cases) {
        HWND edit = Frame().detailView.Edit();
        LONG clicked = CharacterOf(test.text + "\r\n", test.link) + 1;
        if (test.compose) {
            edit = Frame().composeView.Edit();
            ::SetWindowTextA(edit, test.text.c_str());
            clicked = CharacterOf(test.text, test.link) + static_cast<LONG>(test.link.size()) - 1;
        } else {
            Frame().detailView.ShowEntry(MakeEntry(test.text.c_str()));
        }
        ClickAt(CharacterPoint(edit, clicked));
        EXPECT_TRUE(browser.WaitFor(harness, test.address)) << test.text;
        opened.push_back(test.address);
    }
    // Each click opened its address once.
    EXPECT_TRUE(WaitForShellChildren(harness));
    std::vector<std::string> lines = browser.Lines();
    std::sort(lines.begin(), lines.end());
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened, lines);
}

TEST_F(PaneTest, LinksThatMustNotReachTheShell)
{
    BrowserLog browser;
    ASSERT_TRUE(browser.Ready()) << "LARKSPUR_BROWSER_LOG is not set";
    const std::string base = WebBaseAddress();
    const std::string folder = TempFolder() + "larkspur-panes\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string marks = folder + "marks.txt";
    ::DeleteFileA(marks.c_str());
    WriteMarkingBatch(folder + "mark.bat", marks);
    // A tag's text handed to the shell would run this from the current folder.
    WriteMarkingBatch(folder + "#mark.bat", marks);
    char oldFolder[MAX_PATH] = "";
    ::GetCurrentDirectoryA(sizeof oldFolder, oldFolder);
    ::SetCurrentDirectoryA(folder.c_str());
    JavascriptHandler javascript;
    std::string fileAddress = "file:///" + folder + "mark.bat";
    std::replace(fileAddress.begin(), fileAddress.end(), '\\', '/');

    // What the shell does with such addresses: it runs a file: address
    // itself, without the browser, and gives javascript: to the browser.
    ::ShellExecuteA(nullptr, nullptr, fileAddress.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    ::ShellExecuteA(nullptr, nullptr, "javascript:void(0)", nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_TRUE(browser.WaitFor(harness, "javascript:void(0)"));
    EXPECT_TRUE(Pump([&] { return Exists(marks); }, 15000));
    EXPECT_TRUE(WaitForShellChildren(harness));
    EXPECT_EQ(std::vector<std::string>{"javascript:void(0)"}, browser.Lines());
    ::DeleteFileA(marks.c_str());

    DetailView& detail = Frame().detailView;
    const HWND edit = detail.Edit();
    const std::string fileText = "run " + fileAddress + " now";
    detail.ShowEntry(MakeEntry(fileText.c_str()));
    ASSERT_EQ(std::vector<std::string>{fileAddress}, MarkedRuns(edit, false));
    ClickAt(CharacterPoint(edit, CharacterOf(fileText, "mark.bat")));
    harness.PumpPending();

    detail.ShowEntry(MakeEntry("try javascript:alert(1) here"));
    ENLINK link = {};
    link.nmhdr = {edit, statusTextControl, EN_LINK};
    link.msg = WM_LBUTTONDOWN;
    link.chrg = {4, 23};
    ::SendMessageA(detail, WM_NOTIFY, statusTextControl, reinterpret_cast<LPARAM>(&link));

    // Neither the right button nor the pointer passing over an address opens it.
    const std::string never = "go " + base + "never";
    detail.ShowEntry(MakeEntry(never.c_str()));
    {
        MenuWatcher dismiss;
        ClickAt(CharacterPoint(edit, 8), true);
        EXPECT_TRUE(Pump([&] { return dismiss.Seen() == 1; }));
    }
    MoveMouse(CharacterPoint(edit, 6));
    MoveMouse(CharacterPoint(edit, 12));
    harness.PumpPending();
    EXPECT_TRUE(WaitForShellChildren(harness));

    // A tag whose text names the batch file opens the tag's search only.
    detail.ShowEntry(MakeEntry("#mark.bat"));
    ClickAt(CharacterPoint(edit, 2));
    const std::string search = base + "search?q=%23mark.bat";
    EXPECT_TRUE(browser.WaitFor(harness, search));
    EXPECT_TRUE(WaitForShellChildren(harness));
    EXPECT_EQ((std::vector<std::string>{"javascript:void(0)", search}), browser.Lines());
    EXPECT_FALSE(Exists(marks));

    ::SetCurrentDirectoryA(oldFolder);
    ::DeleteFileA((folder + "mark.bat").c_str());
    ::DeleteFileA((folder + "#mark.bat").c_str());
    ::RemoveDirectoryA(folder.c_str());
}
