#include "FrameHarness.h"
#include "PasswordProtection.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "Settings.h"
#include "SettingsDialog.h"
#include "SiteControl.h"
#include "TempFolder.h"
#include "Waiting.h"

#include <gtest/gtest.h>

#include <wincrypt.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

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

std::string Repeat(const char* text, int count)
{
    std::string repeated;
    while (count-- > 0)
        repeated += text;
    return repeated;
}

std::string Base64(const std::string& bytes)
{
    char text[4096] = "";
    DWORD length = sizeof text;
    ::CryptBinaryToStringA(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                           CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF, text, &length);
    return text;
}

// The forms in which a careless store would leave text readable: as it is,
// in hex of either case, and in base64 at each of the three alignments a
// longer encoded run can give it (the groups of three bytes it fills alone).
std::vector<std::string> PlainForms(const std::string& text)
{
    std::vector<std::string> forms = {text, "", ""};
    for (const unsigned char byte : text) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        forms[1] += pair;
        std::snprintf(pair, sizeof pair, "%02x", byte);
        forms[2] += pair;
    }
    for (size_t skip = 0; skip < 3; ++skip)
        forms.push_back(Base64(text.substr(skip, (text.size() - skip) / 3 * 3)));
    return forms;
}

// A password in the stored form but protected with another entropy (none
// when empty): what another program of the same user could have left there.
std::string ProtectedWith(std::string password, std::string entropy)
{
    DATA_BLOB plain = {static_cast<DWORD>(password.size()), reinterpret_cast<BYTE*>(&password[0])};
    DATA_BLOB salt = {static_cast<DWORD>(entropy.size()), reinterpret_cast<BYTE*>(&entropy[0])};
    DATA_BLOB sealed = {};
    if (!::CryptProtectData(&plain, nullptr, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &sealed))
        return "";
    const std::string blob(reinterpret_cast<const char*>(sealed.pbData), sealed.cbData);
    ::LocalFree(sealed.pbData);
    return protectedPasswordPrefix + Base64(blob);
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

    // The fixture's file, or the frame's when asked.
    std::string FileText(bool frames = false)
    {
        std::ifstream file(frames ? FrameHarness::SettingsPath() : path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::string Value(const char* section, const char* key, bool frames = false)
    {
        char value[2048] = "";
        const std::string file = frames ? FrameHarness::SettingsPath() : path;
        ::GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, file.c_str());
        return value;
    }

    // The fixture's file as the program reads it, the password opened.
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
        {"prefixed", std::string(protectedPasswordPrefix) + "AQAAAA=="},
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

// A password an older version kept as typed still signs in and is protected
// at the next save: the file then holds it in no form a reader could take it
// from, and the next start signs in with it without asking.
TEST_F(Settings, PasswordIsProtectedAtTheNextSaveAndSignsInAfterARestart)
{
    const std::string password = "correct-horse-battery-staple"; // no blob holds 24 base64 characters of it by chance
    FrameHarness::WriteAccount("setuser", password, "180");
    const ModalWatcher loginError("#32770", "ログインエラー", PressOk);
    const auto watcher = Answer(Leave::save, nullptr, nullptr, nullptr);
    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(start);
        // The site and this process forget the sign-in: each start signs in anew.
        SiteControl::Reset();
        SiteControl::Post("account", "user=setuser&password=" + password);
        serviceSession.SetPassword("");
        serviceSession.SetToken("");
        FrameHarness harness;
        ASSERT_TRUE(harness.Create());
        ASSERT_TRUE(harness.Pump([] { return serviceSession.HasToken(); }, 20000));
        EXPECT_EQ(password, SiteControl::Last("login-password"));
        if (start == 0) {
            harness.Frame().PostMessage(WM_COMMAND, settingsCommand);
            ASSERT_TRUE(harness.Pump([&] { return watcher->Seen() == 1 && !::FindWindowA("#32770", "設定"); }, 5000));
            const std::string file = FileText(true);
            for (const std::string& form : PlainForms(password))
                EXPECT_EQ(std::string::npos, file.find(form)) << form << " in\n" << file;
        }
        harness.Close();
    }
    EXPECT_EQ(1, watcher->Seen());
}

// A protected password this user cannot open (another program's entropy, a
// damaged value) is no password: the dialog opens as on a first start, with
// the rest of the file shown, and the file stays as it was.
TEST_F(Settings, PasswordThatCannotBeOpenedAsksAsOnAFirstStart)
{
    std::string own;
    ASSERT_TRUE(ProtectPassword("setpass", own));
    // Changed in the signature at the end: not every byte of a blob's header
    // is checked.
    std::string changed = own;
    changed[own.size() - 8] = changed[own.size() - 8] == 'A' ? 'B' : 'A';
    const std::string cases[] = {ProtectedWith("setpass", "another program"), ProtectedWith("setpass", ""),
                                 changed, own.substr(0, own.size() / 2),
                                 protectedPasswordPrefix + std::string("*** not base64 ***")};
    for (const std::string& stored : cases) {
        SCOPED_TRACE(stored);
        askedBeforeShown = 0;
        FrameHarness::WriteSettings("[TWITTER]\r\nRELOAD_TIMELINE=45\r\n[ACCOUNT]\r\nUSER=setuser\r\nPASS=" + stored
                                    + "\r\n");
        const ModalWatcher loginError("#32770", "ログインエラー", PressOk);
        const auto watcher = Answer(Leave::cancelButton, nullptr, nullptr, nullptr);
        {
            FrameHarness harness;
            ASSERT_TRUE(harness.Create());
            EXPECT_EQ(1, askedBeforeShown.load());
            EXPECT_EQ(45, harness.Frame().reloadInterval);
            harness.Close();
        }
        EXPECT_EQ("setuser", shown.user);
        EXPECT_EQ("", shown.password);
        EXPECT_EQ("45", shown.interval);
        EXPECT_EQ(stored, Value("ACCOUNT", "PASS", true));
        EXPECT_EQ("45", Value("TWITTER", "RELOAD_TIMELINE", true));
    }
}

// Values longer than a field, as a hand-made file may hold them, are cut
// after the last whole character that fits: never inside a double-byte
// character, never with a byte the file does not hold.
TEST_F(Settings, LongValuesAreCutBetweenCharacters)
{
    const std::string kana = Repeat("あ", 150); // 300 bytes
    const std::pair<std::string, std::string> cases[] = {
        {kana, Repeat("あ", 127)}, // the 128th character would end at byte 256
        {"a" + kana, "a" + Repeat("あ", 127)},
        {"\"" + kana + "\"", Repeat("あ", 127)}, // quoted, as the program writes
        {std::string(254, 'x') + "表", std::string(254, 'x')},
        {Repeat("ｱ", 300), Repeat("ｱ", 255)}, // half-width kana: one byte each
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.size());
        std::ofstream(path, std::ios::binary) << "[TWITTER]\r\nRELOAD_TIMELINE=" << c.first << "\r\n[ACCOUNT]\r\nUSER="
                                              << c.first << "\r\nPASS=" << c.first << "\r\n";
        const SettingValues values = SavedValues();
        EXPECT_EQ(c.second, values.user);
        EXPECT_EQ(c.second, values.password);
        EXPECT_EQ(c.second, values.interval);
    }
}

// A field holding more than the file keeps is not cut at save: a box names
// it, the field keeps its whole text with the part past the last whole
// character within 255 bytes selected, and nothing is written until it fits.
TEST_F(Settings, LongFieldIsRefusedWholeAtSave)
{
    const struct {
        const char* name;
        int field;
        std::string text;
        DWORD selectedFrom, selectedTo; // Wine's edit control counts characters
    } cases[] = {
        {"ユーザ名", userEditControl, Repeat("あ", 150), 127, 150},
        {"パスワード", passwordEditControl, "a" + Repeat("あ", 150), 128, 151},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileA(path.c_str());
        const BoxWatcher box("設定の入力エラー");
        char kept[1024] = "";
        DWORD from = 0;
        DWORD to = 0;
        bool written = true;
        {
            const FrameHarness harness;
            const ModalWatcher watcher("#32770", "設定", [&](HWND dialog) {
                const HWND field = ::GetDlgItem(dialog, c.field);
                ::SetWindowTextA(field, c.text.c_str());
                ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                // Past the box the focus comes back to the field, with a part
                // selected.
                GUITHREADINFO info = {};
                info.cbSize = sizeof info;
                const DWORD thread = ::GetWindowThreadProcessId(dialog, nullptr);
                WaitUntil(
                    [&] {
                        ::SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                                       reinterpret_cast<LPARAM>(&to));
                        return box.Answered() == 1 && ::GetGUIThreadInfo(thread, &info) && info.hwndFocus == field
                               && from != 0;
                    },
                    5000);
                ::GetWindowTextA(field, kept, sizeof kept);
                written = ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
                ::PostMessageA(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
            });
            SettingsDialog dialog(path.c_str());
            EXPECT_EQ(0, dialog.DoModal(nullptr));
        }
        EXPECT_EQ(1, box.Answered());
        EXPECT_NE(std::string::npos, box.LastText().find(c.name)) << box.LastText();
        EXPECT_NE(std::string::npos, box.LastText().find(std::to_string(c.text.size()) + " バイト")) << box.LastText();
        EXPECT_EQ(c.text, kept);
        EXPECT_EQ(c.selectedFrom, from);
        EXPECT_EQ(c.selectedTo, to);
        EXPECT_FALSE(written);
    }
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
