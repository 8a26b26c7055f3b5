#include "ProgramProcess.h"
#include "ScreenInput.h"
#include "SiteControl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

// Larkspur.exe from start to exit, watched from outside: the simulator's log
// tells what it asked for, the windows what it shows, the process handle how
// it ended.

namespace {

const int startTimeoutMs = 20000;
const DWORD closeLimitMs = 2000;

class ProgramLifecycle : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SiteControl::Reset());
        ASSERT_TRUE(SiteControl::Post("account", "user=runner&password=pw-run"));
        ASSERT_TRUE(copy.IsReady()) << "cannot copy " << BuiltProgramPath();
    }

    static bool AddStatus(const std::string& user, const std::string& id, const std::string& text)
    {
        return SiteControl::Post("status", "user=" + user + "&id=" + id + "&text=" + SiteControl::Encode(text));
    }

    // Posts WM_CLOSE to the frame and waits for the process to end: its
    // exit code (-1 while it runs on) and how long it took.
    int Close(HWND frame, DWORD& elapsedMs)
    {
        const ULONGLONG start = ::GetTickCount64();
        ::PostMessageA(frame, WM_CLOSE, 0, 0);
        const int code = program.WaitForExit(10000);
        elapsedMs = static_cast<DWORD>(::GetTickCount64() - start);
        return code;
    }

    ProgramCopy copy;
    ProgramProcess program;
};

struct CloseCase {
    const char* name;
    // Shapes the simulator before the start.
    std::function<bool()> arrange;
    // What must hold before the window is closed.
    std::function<bool(const ProgramProcess&, HWND frame)> reached;
};

TEST_F(ProgramLifecycle, ClosingTheWindowEndsTheProcessWithCodeOne)
{
    const CloseCase cases[] = {
        // Signed in with the account of its settings, the list filled.
        {"timeline-shown",
         [] {
             return AddStatus("writer", "70000000001", "oldest status")
                    && AddStatus("writer", "70000000002", "middle status")
                    && AddStatus("other", "70000000003", "newest status from other");
         },
         [](const ProgramProcess& run, HWND frame) {
             const HWND list = FindTimelineList(frame);
             return ListItemCount(list) == 3 && ListItemText(run.Handle(), list, 0, 1) == "newest status from other"
                    && SiteControl::CountInLog("https POST /sessions 302") == 1
                    && SiteControl::Last("login-user") == "runner";
         }},
        // The sign-in's first request never gets an answer.
        {"fetch-hangs", [] { return SiteControl::Route("path=/&hang=1"); },
         [](const ProgramProcess&, HWND) { return SiteControl::CountInLog(SiteControl::Scheme() + " POST / 0") == 1; }},
        // The worker's box waits for the user while the window goes on.
        {"overload-box-open", [] { return SiteControl::Post("overload", "on=1"); },
         [](const ProgramProcess& run, HWND) {
             const HWND box = run.FindBox("エラー");
             char text[256] = "";
             return box != nullptr && ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text) > 0
                    && std::string(text) == "[ERROR] サーバがいっぱいです。";
         }},
    };
    for (const CloseCase& test : cases) {
        SCOPED_TRACE(test.name);
        ASSERT_TRUE(SiteControl::Reset());
        ASSERT_TRUE(SiteControl::Post("account", "user=runner&password=pw-run"));
        ASSERT_TRUE(test.arrange());
        ASSERT_TRUE(copy.WriteSettings("Larkspur", "runner", "pw-run", 180));
        ASSERT_TRUE(program.Start(copy.ExePath()));
        const HWND frame = program.WaitForMainWindow(startTimeoutMs);
        ASSERT_NE(nullptr, frame);
        EXPECT_TRUE(PollUntil([&] { return test.reached(program, frame); }, startTimeoutMs));
        SaveScreenshot(std::string("close-") + test.name, {frame});

        DWORD elapsedMs = 0;
        EXPECT_EQ(1, Close(frame, elapsedMs));
        EXPECT_LE(elapsedMs, closeLimitMs);
        std::printf("[  figure  ] %s: process ended %lu ms after WM_CLOSE\n", test.name, elapsedMs);
        program.Terminate();
    }
}

// Takes a library away from one program name for the life of the object.
// Wine reads its per-program overrides from the prefix's registry; a changed
// WINEDLLOVERRIDES in a child's environment block does not reach a child
// started from a Windows process (its loader sees the parent's value).
class DisabledLibrary {
public:
    DisabledLibrary(const std::string& exeName, const char* library) : key(appDefaults + exeName)
    {
        HKEY overrides = nullptr;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, (key + "\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &overrides, nullptr)
            != ERROR_SUCCESS)
            return;
        // An empty load order: neither the builtin nor a native library.
        set = ::RegSetValueExA(overrides, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) == ERROR_SUCCESS;
        ::RegCloseKey(overrides);
    }
    ~DisabledLibrary() { ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }
    DisabledLibrary(const DisabledLibrary&) = delete;
    DisabledLibrary& operator=(const DisabledLibrary&) = delete;

    bool IsSet() const { return set; }

private:
    static constexpr const char* appDefaults = "Software\\Wine\\AppDefaults\\";
    std::string key;
    bool set = false;
};

TEST_F(ProgramLifecycle, WithoutTheRichEditLibraryItSaysSoAndExitsWithZero)
{
    ProgramCopy bare("NoRichEdit.exe");
    ASSERT_TRUE(bare.IsReady());
    ASSERT_TRUE(bare.WriteSettings("NoRichEdit", "runner", "pw-run", 180));
    const DisabledLibrary richEdit("NoRichEdit.exe", "riched20");
    ASSERT_TRUE(richEdit.IsSet());
    ASSERT_TRUE(program.Start(bare.ExePath()));
    const HWND box = program.WaitForBox("エラー", startTimeoutMs);
    ASSERT_NE(nullptr, box) << "no box: the library was loaded all the same";
    char text[256] = "";
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ("リッチエディットコントロール初期化失敗", text);
    EXPECT_EQ(nullptr, program.MainWindow());
    SaveScreenshot("richedit-missing", {box});

    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(0, program.WaitForExit(10000));
    // It gave up before the window and the first fetch.
    EXPECT_EQ(0, SiteControl::CountInLog(" / "));
}

TEST_F(ProgramLifecycle, RenamedProgramReadsTheSettingsOfItsOwnName)
{
    ProgramCopy renamed("Other.exe");
    ASSERT_TRUE(renamed.IsReady());
    ASSERT_TRUE(SiteControl::Post("account", "user=other_user&password=other-pw"));
    ASSERT_TRUE(AddStatus("writer", "72000000001", "seen by the other account"));
    ASSERT_TRUE(renamed.WriteSettings("Other", "other_user", "other-pw", 180));
    // The name the program was built with, beside it, with an account the
    // site does not know.
    ASSERT_TRUE(renamed.WriteSettings("Larkspur", "nobody", "wrong", 180));
    ASSERT_TRUE(program.Start(renamed.ExePath()));
    const HWND frame = program.WaitForMainWindow(startTimeoutMs);
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(PollUntil([&] { return ListItemCount(FindTimelineList(frame)) == 1; }, startTimeoutMs));
    EXPECT_EQ("other_user", SiteControl::Last("login-user"));
    EXPECT_EQ(1, SiteControl::CountInLog("https POST /sessions 302"));
    DWORD elapsedMs = 0;
    EXPECT_EQ(1, Close(frame, elapsedMs));
}

} // namespace
