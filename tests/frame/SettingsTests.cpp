#include "FrameHarness.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "Settings.h"
#include "SettingsDialog.h"
#include "SiteControl.h"
#include "TempFolder.h"
#include "Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <utility>

namespace {

enum class Leave { save, cancelButton, escapeKey, closeBox };

// What one showing of the settings dialog displayed.
struct Shown {
    std::string user, password, interval;
    bool masked;
    int low, high;
};

// The user name and the password the session holds.
std::pair<std::string, std::string> SessionAccount()
{
    ServiceSession::Text user;
    ServiceSession::Text password;
    serviceSession.GetUser(user);
    serviceSession.GetPassword(password);
    return {user, password};
}

std::string ItemText(HWND dialog, int id)
{
    char text[256] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

class Settings : public testing::Test {
protected:
    void SetUp() override
    {
        SiteControl::Reset();
        SiteControl::Post("account", "user=setuser&password=setpass");
        folder = TempFolder() + "larkspur-settings\\";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        path = folder + "Larkspur.ini";
    }

    void TearDown() override
    {
        ::DeleteFileA(path.c_str());
        ::RemoveDirectoryA(folder.c_str());
        // A test may have put a folder in the frame's settings file's place.
        ::RemoveDirectoryA(FrameHarness::SettingsPath().c_str());
        FrameHarness::WriteSettings("");
    }

    // Answers every settings dialog: notes what it shows, types the texts
    // that are not null and leaves it as asked.
    std::unique_ptr<ModalWatcher> Answer(Leave leave, const char* user, const char* password, const char* interval)
    {
        return std::unique_ptr<ModalWatcher>(new ModalWatcher("#32770", "設定", [=](HWND dialog) {
            shown = {ItemText(dialog, userEditControl), ItemText(dialog, passwordEditControl),
                     ItemText(dialog, intervalEditControl), false, 0, 0};
            shown.masked = (::GetWindowLongA(::GetDlgItem(dialog, passwordEditControl), GWL_STYLE) & ES_PASSWORD) != 0;
            ::SendMessageA(::GetDlgItem(dialog, intervalSpinControl), UDM_GETRANGE32,
                           reinterpret_cast<WPARAM>(&shown.low), reinterpret_cast<LPARAM>(&shown.high));
            const HWND frame = ::FindWindowA(nullptr, "Larkspur");
            askedBeforeShown += frame != nullptr && !::IsWindowVisible(frame) ? 1 : 0;
            const std::pair<int, const char*> typed[] = {
                {userEditControl, user}, {passwordEditControl, password}, {intervalEditControl, interval}};
            for (const auto& field : typed) {
                if (field.second != nullptr)
                    ::SetDlgItemTextA(dialog, field.first, field.second);
            }
            if (leave == Leave::save || leave == Leave::cancelButton)
                ::PostMessageA(::GetDlgItem(dialog, leave == Leave::save ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
            else if (leave == Leave::escapeKey)
                ::PostMessageA(::GetDlgItem(dialog, userEditControl), WM_KEYDOWN, VK_ESCAPE, 0);
            else
                ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        }));
    }

    std::string FileText()
    {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::string Value(const char* section, const char* key)
    {
        char value[256] = "";
        ::GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, path.c_str());
        return value;
    }

    // The file as the program reads it (the password opened).
    SettingValues SavedValues()
    {
        SettingValues values;
        ReadSettingValues(path.c_str(), values);
        return values;
    }

    std::string folder;
    std::string path;
    Shown shown = {};
    std::atomic<int> askedBeforeShown{0};
};

TEST_F(Settings, DialogShowsTheFileAndWritesOnlyWhenSaved)
{
    const char stored[] = "[TWITTER]\r\nRELOAD_TIMELINE=181\r\n[ACCOUNT]\r\nUSER=me\r\nPASS=pw\r\n";
    const char stored45[] = "[TWITTER]\r\nRELOAD_TIMELINE=45\r\n[ACCOUNT]\r\nUSER=me\r\nPASS=pw\r\n";
    struct Case {
        const char* name;
        const char* file; // null: no file; "": no settings path at all
        Leave leave;
        const char* typedUser;
        const char* typedInterval;
        const char* shownUser;
        const char* shownInterval;
        const char* savedInterval; // null: the file stays as it was
        const char* savedUser;
    };
    const Case cases[] = {
        {"181 shown as 30, saved as 30", stored, Leave::save, nullptr, nullptr, "me", "30", "30", "me"},
        {"cancel button", stored, Leave::cancelButton, "other", "60", "me", "30", nullptr, nullptr},
        {"Esc", stored, Leave::escapeKey, "other", "60", "me", "30", nullptr, nullptr},
        {"close box", stored, Leave::closeBox, "other", "60", "me", "30", nullptr, nullptr},
        {"fresh folder", nullptr, Leave::save, "新しい人", nullptr, "", "30", "30", "新しい人"},
        {"emptied interval", stored45, Leave::save, nullptr, "", "me", "45", "", "me"},
        {"no settings path", "", Leave::save, "nobody", nullptr, "", "30", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileA(path.c_str());
        if (c.file != nullptr && *c.file != 0)
            std::ofstream(path, std::ios::binary) << c.file;
        const std::string before = FileText();
        INT_PTR result = -1;
        {
            const FrameHarness harness; // the module and the loop the dialog expects
            const auto watcher = Answer(c.leave, c.typedUser, nullptr, c.typedInterval);
            SettingsDialog dialog(c.file != nullptr && *c.file == 0 ? "" : path.c_str());
            result = dialog.DoModal(nullptr);
            ASSERT_TRUE(WaitUntil([&] { return watcher->Seen() == 1; }, 5000));
        }
        const std::string password = c.file != nullptr && *c.file != 0 ? "pw" : "";
        EXPECT_EQ(c.shownUser, shown.user);
        EXPECT_EQ(password, shown.password);
        EXPECT_EQ(c.shownInterval, shown.interval);
        EXPECT_TRUE(shown.masked);
        EXPECT_EQ(10, shown.low);
        EXPECT_EQ(180, shown.high);
        EXPECT_EQ(c.leave == Leave::save ? 1 : 0, result);
        if (c.savedInterval == nullptr) {
            EXPECT_EQ(before, FileText());
        } else {
            EXPECT_EQ(c.savedInterval, Value("TWITTER", "RELOAD_TIMELINE"));
            EXPECT_EQ(c.savedUser, Value("ACCOUNT", "USER"));
            EXPECT_EQ(password, SavedValues().password);
        }
    }
    // Without a path nothing went to the system's own profile either.
    char fallback[64] = "";
    ::GetProfileStringA("ACCOUNT", "USER", "<absent>", fallback, sizeof fallback);
    EXPECT_STREQ("<absent>", fallback);
}

TEST_F(Settings, StartReadsTheFileAndAsksForAMissingAccount)
{
    const std::string account = "[ACCOUNT]\r\nUSER=setuser\r\nPASS=setpass\r\n";
    struct Case {
        std::string file;
        bool asks;
        const char* typedPassword; // saved in the dialog when not null, else cancelled
        int interval;
    };
    const Case cases[] = {
        {"[ACCOUNT]\r\nUSER=setuser\r\n", true, nullptr, 30},
        {"[ACCOUNT]\r\nPASS=setpass\r\n", true, nullptr, 30},
        {"[ACCOUNT]\r\nUSER=setuser\r\n", true, "setpass", 60},
        {"[TWITTER]\r\nRELOAD_TIMELINE=5\r\n" + account, false, nullptr, 10},
        {"[TWITTER]\r\nRELOAD_TIMELINE=181\r\n" + account, false, nullptr, 10},
        {"[TWITTER]\r\nRELOAD_TIMELINE=4294967326\r\n" + account, false, nullptr, 10},
        {"[TWITTER]\r\nRELOAD_TIMELINE=abc\r\n" + account, false, nullptr, 10},
        {"[TWITTER]\r\nRELOAD_TIMELINE=\r\n" + account, false, nullptr, 10},
        {"[TWITTER]\r\nRELOAD_TIMELINE=45\r\n" + account, false, nullptr, 45},
        {account, false, nullptr, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        askedBeforeShown = 0;
        FrameHarness::WriteSettings(c.file);
        // A cancelled dialog leaves the account empty: the sign-in fails and
        // may be reported before the frame closes.
        const ModalWatcher loginError("#32770", "ログインエラー", PressOk);
        const auto watcher =
            Answer(c.typedPassword != nullptr ? Leave::save : Leave::cancelButton, nullptr, c.typedPassword, "60");
        FrameHarness harness;
        ASSERT_TRUE(harness.Create());
        EXPECT_EQ(c.asks ? 1 : 0, askedBeforeShown.load());
        EXPECT_EQ(c.interval, harness.Frame().reloadInterval);
        harness.Close();
    }
}

// Saved values serve the run whether or not the file takes them; a file that
// cannot be written is named in a box owned by the dialog. A folder in the
// file's place stands for a file nobody may write: Wine lets its root user
// write read-only files.
TEST_F(Settings, UnwritableFileIsToldAndTheValuesServeThisRun)
{
    const std::string ini = FrameHarness::SettingsPath();
    FrameHarness::WriteSettings("");
    ASSERT_TRUE(::CreateDirectoryA(ini.c_str(), nullptr));
    std::string boxText;
    std::string ownerCaption;
    const ModalWatcher box("#32770", "設定の保存エラー", [&](HWND window) {
        char text[1024] = "";
        ::GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
        boxText = text;
        ::GetWindowTextA(::GetWindow(window, GW_OWNER), text, sizeof text);
        ownerCaption = text;
        PressOk(window);
    });
    const ModalWatcher loginError("#32770", "ログインエラー", PressOk);
    const auto watcher = Answer(Leave::save, "ro-user", "ro pass", "45");
    {
        FrameHarness harness;
        ASSERT_TRUE(harness.Create());
        ASSERT_TRUE(WaitUntil([&] { return box.Seen() == 1; }, 5000));
        EXPECT_EQ("設定", ownerCaption);
        EXPECT_NE(std::string::npos, boxText.find(ini)) << boxText;
        EXPECT_EQ(std::make_pair(std::string("ro-user"), std::string("ro pass")), SessionAccount());
        EXPECT_EQ(45, harness.Frame().reloadInterval);

        // Asked again, the dialog shows what this run uses, not the file.
        harness.Frame().PostMessage(WM_COMMAND, settingsCommand);
        ASSERT_TRUE(harness.Pump([&] { return watcher->Seen() == 2; }, 5000));
        EXPECT_EQ("ro-user", shown.user);
        EXPECT_EQ("ro pass", shown.password);
        harness.Close();
    }
    EXPECT_TRUE(::RemoveDirectoryA(ini.c_str()));
}

// What the user types comes back byte for byte: into the session at once,
// and from the file at the next start.
TEST_F(Settings, TypedValuesComeBackExactly)
{
    const std::string full(255, 'u');
    const std::string fullEndingInKana = std::string(253, 'p') + "あ";
    const std::pair<std::string, std::string> cases[] = {
        {" me ", "\"pw\""},
        {"'q'", " pw "},
        {full, fullEndingInKana},
        {"かな太郎", "ソ表 パス"},
    };
    const ModalWatcher loginError("#32770", "ログインエラー", PressOk);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first + " / " + c.second);
        FrameHarness::WriteSettings("");
        const auto watcher = Answer(Leave::save, c.first.c_str(), c.second.c_str(), "60");
        for (int start = 0; start < 2; ++start) {
            const int asked = watcher->Seen();
            FrameHarness harness;
            ASSERT_TRUE(harness.Create());
            EXPECT_EQ(start == 0 ? 1 : asked, watcher->Seen()); // asked at the first start only
            EXPECT_EQ(c, SessionAccount()) << start;
            harness.Close();
        }
    }
}

// A sign-in that fails while 設定 is open waits for it: no box and no second
// dialog over it, the report at the first tick after it closes.
TEST_F(Settings, FailedLoginWaitsForTheOpenDialog)
{
    FrameHarness::WriteAccount("setuser", "wrong", "180");
    std::atomic<bool> boxOverDialog{false};
    const ModalWatcher loginError("#32770", "ログインエラー", [&](HWND box) {
        boxOverDialog = ::FindWindowA("#32770", "設定") != nullptr;
        PressOk(box);
    });
    const ModalWatcher dialogs("#32770", "設定", [&](HWND dialog) {
        // Open through the failure and two ticks.
        WaitUntil([] { return serviceSession.loginState.load() == LoginFailed; }, 20000);
        const ULONGLONG ticks = ::GetTickCount64() + 2500;
        WaitUntil([&] { return ::GetTickCount64() >= ticks; }, 3000);
        ::PostMessageA(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    FrameHarness harness;
    ASSERT_TRUE(harness.Create());
    harness.Frame().PostMessage(WM_COMMAND, settingsCommand);
    ASSERT_TRUE(harness.Pump([&] { return dialogs.Seen() == 2; }, 40000));
    EXPECT_EQ(1, loginError.Seen());
    EXPECT_FALSE(boxOverDialog.load());
    EXPECT_EQ("ログインエラー", PaneText(harness.Frame(), 0));
    harness.Close();
}

TEST(SettingsPath, FollowsTheExecutableName)
{
    const std::string longFolder = "C:\\" + std::string(247, 'd') + "\\";
    // "ソ" and "表" end in the byte of a backslash in code page 932.
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Program Files\\Larkspur\\Larkspur.exe", "C:\\Program Files\\Larkspur\\Larkspur.ini"},
        {"C:\\Program Files\\Larkspur\\Renamed.exe", "C:\\Program Files\\Larkspur\\Renamed.ini"},
        {"C:\\tools\\Larkspur", "C:\\tools\\Larkspur.ini"},
        {"C:\\v1.0\\Larkspur", "C:\\v1.0\\Larkspur.ini"},
        {"C:\\tools\\Lark.spur.exe", "C:\\tools\\Lark.spur.ini"},
        {"C:\\ソフト\\表.exe", "C:\\ソフト\\表.ini"},
        {"C:\\v1.0\\ソ", "C:\\v1.0\\ソ.ini"},
        {"C:\\tools\\app.ソ", "C:\\tools\\app.ini"},
        // 255 bytes before the extension fit 260 with ".ini"; 256 do not.
        {longFolder + "abcd.exe", longFolder + "abcd.ini"},
        {longFolder + "abcde.exe", ""},
    };
    for (const auto& c : cases) {
        char ini[iniPathSize];
        std::memset(ini, 'x', sizeof ini);
        EXPECT_EQ(!c.second.empty(), IniPathFor(c.first.c_str(), ini)) << c.first;
        EXPECT_EQ(c.second, ini) << c.first;
    }
}

} // namespace
