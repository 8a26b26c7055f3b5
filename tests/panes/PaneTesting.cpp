#include "PaneTesting.h"

#include "SiteControl.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

void PaneTest::SetUp()
{
    ASSERT_TRUE(SiteControl::Reset());
    ASSERT_TRUE(SiteControl::Post("account", "user=paneuser&password=secret"));
    AddStatus(aliceStatusId, "alice", "hello from alice", "Mon Jan 04 09:05:07 +0000 2010");
    AddStatus(bobStatusId, "bob", "bob says hi", "Mon Jan 04 10:00:00 +0000 2010");
    AddStatus(carolStatusId, "carol", std::string(150, 'c'), "Mon Jan 04 08:00:00 +0000 2010");
    // The longest interval: no reload of its own while a test runs.
    FrameHarness::WriteAccount("paneuser", "secret", "180");
    ASSERT_TRUE(harness.Create());
    ASSERT_TRUE(Pump([this] { return Frame().shownTimeline.IndexOf(carolStatusId) >= 0; }, 20000));
    ::SetForegroundWindow(Frame());
}

void PaneTest::AddStatus(const std::string& id, const std::string& user, const std::string& text,
                         const std::string& time)
{
    ASSERT_TRUE(SiteControl::Post("status", "id=" + id + "&user=" + user + "&text=" + SiteControl::Encode(text)
                                                + "&time=" + SiteControl::Encode(time)));
}

bool PaneTest::SelectStatus(const char* statusId)
{
    const int row = Frame().shownTimeline.IndexOf(statusId);
    if (row < 0)
        return false;
    Frame().timelineView.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    harness.PumpPending();
    return Frame().timelineView.GetSelectedIndex() == row;
}

POINT PaneTest::RowPoint(const char* statusId)
{
    RECT row = {};
    Frame().timelineView.GetItemRect(Frame().shownTimeline.IndexOf(statusId), &row, LVIR_BOUNDS);
    POINT point = {(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    ::ClientToScreen(Frame().timelineView, &point);
    return point;
}

TimelineEntry MakeEntry(const char* text, const char* screenName, const char* displayName, const char* iconUrl)
{
    TimelineEntry entry = {};
    std::strcpy(entry.statusId, "1");
    std::strcpy(entry.text, text);
    std::strcpy(entry.screenName, screenName);
    std::strcpy(entry.displayName, displayName);
    std::strcpy(entry.iconUrl, iconUrl);
    entry.createdAt = {2010, 3, 3, 10, 9, 5, 7, 0};
    return entry;
}

namespace {

void Send(std::vector<INPUT> inputs)
{
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT KeyInput(WORD key, WORD scan, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki = {key, scan, flags, 0, 0};
    return input;
}

INPUT MouseInput(POINT screen, DWORD flags)
{
    // Wine maps 0..65535 onto the screen by (value * width) >> 16.
    const LONG width = ::GetSystemMetrics(SM_CXSCREEN);
    const LONG height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi = {(screen.x * 65536 + width - 1) / width, (screen.y * 65536 + height - 1) / height, 0,
                flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0};
    return input;
}

} // namespace

void TypeText(const std::string& ansiText)
{
    std::wstring wide(ansiText.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(
        ::MultiByteToWideChar(CP_ACP, 0, ansiText.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1));
    // Wine's ANSI rich edit takes each byte of a character that comes as
    // WM_CHAR (from keys or an input method) for a character of its own;
    // WM_UNICHAR goes through the message loop as typing does and arrives whole.
    if (std::any_of(wide.begin(), wide.end(), [](wchar_t c) { return c >= 0x80; })) {
        const HWND focus = ::GetFocus();
        for (wchar_t c : wide)
            ::PostMessageA(focus, WM_UNICHAR, c, 1);
        return;
    }
    std::vector<INPUT> inputs;
    for (wchar_t c : wide) {
        inputs.push_back(KeyInput(0, c, KEYEVENTF_UNICODE));
        inputs.push_back(KeyInput(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    Send(inputs);
}

void PressKey(WORD key, WORD modifier)
{
    std::vector<INPUT> inputs = {KeyInput(key, 0, 0), KeyInput(key, 0, KEYEVENTF_KEYUP)};
    if (modifier != 0) {
        inputs.insert(inputs.begin(), KeyInput(modifier, 0, 0));
        inputs.push_back(KeyInput(modifier, 0, KEYEVENTF_KEYUP));
    }
    Send(inputs);
}

void MoveMouse(POINT screen)
{
    Send({MouseInput(screen, 0)});
}

void ClickAt(POINT screen, bool right)
{
    Send({MouseInput(screen, right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN),
          MouseInput(screen, right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP)});
}

CHARRANGE Selection(HWND edit)
{
    CHARRANGE range = {-1, -1};
    ::SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

POINT CharacterPoint(HWND edit, LONG character)
{
    POINTL first = {};
    POINTL next = {};
    ::SendMessageA(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), character);
    ::SendMessageA(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&next), character + 1);
    POINT point = {next.y == first.y && next.x > first.x ? (first.x + next.x) / 2 : first.x + 2, first.y + 6};
    ::ClientToScreen(edit, &point);
    return point;
}

LONG CharacterOf(const std::string& text, const std::string& part)
{
    const size_t offset = text.find(part);
    if (offset == std::string::npos)
        return -1;
    LONG position = 0;
    for (size_t index = 0; index < offset; ++position) {
        const bool pair = text.compare(index, 2, "\r\n") == 0 || ::IsDBCSLeadByte(static_cast<BYTE>(text[index]));
        index += pair ? 2 : 1;
    }
    return position;
}

COLORREF EditBackground(HWND edit)
{
    ::UpdateWindow(edit);
    RECT client;
    ::GetClientRect(edit, &client);
    POINT point = {client.right - 3, client.bottom - 3};
    ::ClientToScreen(edit, &point);
    const HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

std::vector<std::string> MarkedRuns(HWND edit, bool colourToo)
{
    GETTEXTLENGTHEX length = {GTL_NUMCHARS, CP_ACP};
    const LONG count = static_cast<LONG>(::SendMessageA(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    std::vector<std::string> runs;
    LONG start = -1;
    bool mixed = false;
    for (LONG index = 0; index <= count; ++index) {
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        if (index < count) {
            CHARRANGE one = {index, index + 1};
            ::SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
            format.dwMask = CFM_LINK | CFM_COLOR;
            ::SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        }
        const bool link = (format.dwEffects & CFE_LINK) != 0;
        const bool blue = colourToo ? index < count && !(format.dwEffects & CFE_AUTOCOLOR)
                                          && format.crTextColor == RGB(0, 0, 255)
                                    : link;
        if ((link || blue) && start < 0) {
            start = index;
            mixed = false;
        }
        mixed = mixed || link != blue;
        if (!link && !blue && start >= 0) {
            char text[1024] = "";
            TEXTRANGEA range = {{start, index}, text};
            ::SendMessageA(edit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
            runs.push_back((mixed ? "?" : "") + std::string(text));
            start = -1;
        }
    }
    return runs;
}

MenuWatcher::MenuWatcher(UINT choose, std::function<void()> beforeAnswer)
    : choose(choose), beforeAnswer(std::move(beforeAnswer)), watcher(&MenuWatcher::Watch, this)
{
}

MenuWatcher::~MenuWatcher()
{
    stop = true;
    watcher.join();
}

ShownMenu MenuWatcher::Last() const
{
    const std::lock_guard<std::mutex> hold(lock);
    return last;
}

void MenuWatcher::Watch()
{
    while (!stop) {
        const HWND popup = ::FindWindowA("#32768", nullptr);
        if (popup != nullptr && ::IsWindowVisible(popup)) {
            if (const HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0)))
                Answer(popup, menu);
            const ULONGLONG deadline = ::GetTickCount64() + 5000;
            while (::IsWindowVisible(popup) && ::GetTickCount64() < deadline)
                ::Sleep(10);
        }
        ::Sleep(10);
    }
}

void MenuWatcher::Answer(HWND popup, HMENU menu)
{
    ShownMenu shown = {};
    WPARAM key = 0;
    for (int index = 0; index < ::GetMenuItemCount(menu); ++index) {
        char text[256] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(index), TRUE, &info);
        // Wine reports separators as greyed.
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        shown.items.push_back({separator ? 0 : info.wID, text, !separator && (info.fState & MFS_GRAYED)});
        const char* mnemonic = std::strchr(text, '&');
        if (choose != 0 && info.wID == choose && mnemonic != nullptr)
            key = static_cast<unsigned char>(mnemonic[1]);
    }
    RECT place = {};
    ::GetWindowRect(popup, &place);
    shown.origin = {place.left, place.top};
    {
        const std::lock_guard<std::mutex> hold(lock);
        last = shown;
    }
    ++seen;
    if (beforeAnswer)
        beforeAnswer();
    if (key != 0)
        ::PostMessageA(popup, WM_CHAR, key, 0);
    else
        ::PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
}

BrowserLog::BrowserLog()
{
    char unixPath[MAX_PATH] = "";
    if (::GetEnvironmentVariableA("LARKSPUR_BROWSER_LOG", unixPath, sizeof unixPath) == 0 || unixPath[0] != '/')
        return;
    path = std::string("Z:") + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    ::DeleteFileA(path.c_str());
}

BrowserLog::~BrowserLog()
{
    if (Ready())
        ::DeleteFileA(path.c_str());
}

std::vector<std::string> BrowserLog::Lines() const
{
    std::vector<std::string> lines;
    FILE* file = std::fopen(path.c_str(), "rb");
    char line[2048];
    while (file != nullptr && std::fgets(line, sizeof line, file) != nullptr) {
        line[std::strcspn(line, "\n")] = 0;
        lines.push_back(line);
    }
    if (file != nullptr)
        std::fclose(file);
    return lines;
}

bool BrowserLog::WaitFor(FrameHarness& harness, const std::string& address) const
{
    return harness.Pump(
        [&] {
            const std::vector<std::string> lines = Lines();
            return std::find(lines.begin(), lines.end(), address) != lines.end();
        },
        15000);
}

bool WaitForShellChildren(FrameHarness& harness)
{
    return harness.Pump(
        [] {
            const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            PROCESSENTRY32 process = {};
            process.dwSize = sizeof process;
            bool running = false;
            for (BOOL more = ::Process32First(snapshot, &process); more && !running;
                 more = ::Process32Next(snapshot, &process)) {
                running = lstrcmpiA(process.szExeFile, "winebrowser.exe") == 0
                          || lstrcmpiA(process.szExeFile, "cmd.exe") == 0;
            }
            ::CloseHandle(snapshot);
            return !running;
        },
        15000);
}
