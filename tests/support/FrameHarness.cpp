#include "FrameHarness.h"

#include "CAppModule.h"
#include "ServiceSession.h"
#include "SiteControl.h"
#include "TimelineModel.h"
#include "TimelineReader.h"
#include "WindowPlacement.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// What the entry point sets up before the frame: once per process.
void InitialiseProcess()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::LoadLibraryA("RICHED20.DLL");
    appModule.Init(::GetModuleHandleA(nullptr));
}

} // namespace

FrameHarness::FrameHarness()
{
    InitialiseProcess();
    appModule.AddMessageLoop(&loop);
}

FrameHarness::~FrameHarness()
{
    if (frame != nullptr && frame->IsWindow())
        Close();
    frame.reset();
    appModule.RemoveMessageLoop();
}

std::string FrameHarness::SettingsPath()
{
    char path[iniPathSize];
    GetIniPath(path);
    return path;
}

void FrameHarness::WriteSettings(const std::string& text)
{
    const std::string path = SettingsPath();
    if (text.empty()) {
        ::DeleteFileA(path.c_str());
        return;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

void FrameHarness::WriteAccount(const std::string& user, const std::string& password, const std::string& interval)
{
    WriteSettings("[TWITTER]\r\nRELOAD_TIMELINE=" + interval + "\r\n[ACCOUNT]\r\nUSER=" + user + "\r\nPASS=" + password
                  + "\r\n");
}

void FrameHarness::UseAccount(const std::string& user)
{
    SiteControl::Post("account", "user=" + user + "&password=secret");
    WriteAccount(user, "secret", "180");
}

bool FrameHarness::Create(int width, int height)
{
    frame.reset(new MainFrame);
    const RECT rect = FirstWindowRect({width, height});
    if (frame->CreateFrame(rect) == nullptr)
        return false;
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->UpdateWindow();
    PumpPending();
    return true;
}

void FrameHarness::Close()
{
    if (frame == nullptr || !frame->IsWindow())
        return;
    const HWND window = frame->handle;
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    Pump([window] { return !::IsWindow(window); }, 5000);
    Pump([] { return serviceSession.fetchBusy.load() == 0; }, 30000);
    PumpPending();
}

bool FrameHarness::Pump(const std::function<bool()>& condition, int timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        PumpPending();
        if (condition())
            return true;
        if (::GetTickCount64() >= deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void FrameHarness::PumpPending()
{
    MSG message;
    bool any = false;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        any = true;
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            continue;
        }
        if (message.message == WM_KEYUP || message.message == WM_SYSKEYUP)
            ++keyReleases;
        if (!loop.PreTranslateMessage(&message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    if (any)
        loop.OnIdle(0);
}

bool FrameHarness::PumpUntilShown(const std::string& statusId, int timeoutMs)
{
    return Pump(
        [&] {
            return TimelineReaderOf().IndexOf(statusId.c_str()) >= 0 && serviceSession.fetchBusy.load() == 0
                   && frame->shownCount == TimelineReaderOf().GetCount() && PaneText(*frame, 0) == "Ready";
        },
        timeoutMs);
}

bool FrameHarness::Press(const std::vector<WORD>& keys)
{
    std::vector<INPUT> inputs;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < keys.size(); ++i) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = pass == 0 ? keys[i] : keys[keys.size() - 1 - i];
            input.ki.dwFlags = pass == 0 ? 0 : KEYEVENTF_KEYUP;
            inputs.push_back(input);
        }
    }
    const int expected = keyReleases + static_cast<int>(keys.size());
    return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size()
           && Pump([&] { return keyReleases >= expected; }, 5000);
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

void PressOk(HWND window)
{
    ::PostMessageA(window, WM_COMMAND, IDOK, 0);
}

std::string PaneText(MainFrame& frame, int paneId)
{
    char text[512] = "";
    frame.statusBarCtrl.GetPaneText(paneId, text, sizeof text);
    return text;
}

std::string Utf8Of(const std::string& text)
{
    const int wideCount = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideCount > 0 ? wideCount : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], wideCount);
    const int count = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(count > 0 ? count : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], count, nullptr, nullptr);
    utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

namespace {

ULONGLONG Seconds(const FILETIME& time)
{
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return ticks.QuadPart / 10000000;
}

} // namespace

std::string AddNewestStatus(const std::string& user, const std::string& text, const std::string& name,
                            const std::string& icon)
{
    // One second past the newest stored status, or ten minutes back if
    // that is later, so statuses the simulator stamps with the present time
    // (posted ones, other tests' own) still come out newer. Statuses added
    // before the next fetch share the second: the store keeps equal times
    // in page order, which is newest id first.
    static int added = 0;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULONGLONG second = Seconds(now) - 600;
    TimelineEntry newest;
    FILETIME stored;
    if (TimelineReaderOf().GetEntry(0, newest) && ::LocalFileTimeToFileTime(&newest.createdAtFileTime, &stored))
        second = std::max(second, Seconds(stored) + 1);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = second * 10000000;
    const FILETIME stamp = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc;
    ::FileTimeToSystemTime(&stamp, &utc);
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char time[64];
    std::snprintf(time, sizeof time, "%s %s %02d %02d:%02d:%02d +0000 %d", days[utc.wDayOfWeek % 7],
                  months[(utc.wMonth - 1) % 12], utc.wDay, utc.wHour, utc.wMinute, utc.wSecond, utc.wYear);
    char id[32];
    std::snprintf(id, sizeof id, "%lld", 90000000000LL + ++added);
    std::string form = "user=" + SiteControl::Encode(user) + "&text=" + SiteControl::Encode(Utf8Of(text)) + "&id=" + id
                       + "&time=" + SiteControl::Encode(time);
    if (!name.empty())
        form += "&name=" + SiteControl::Encode(Utf8Of(name));
    // A picture of a size of its own unless asked: the icon cache keeps
    // pictures by file name for the whole process, and other tests watch
    // the simulator's default one arrive.
    form += "&icon=" + SiteControl::Encode(icon.empty() ? "/images/" + user + "/40x40.png" : icon);
    return SiteControl::Post("status", form) ? id : "";
}

std::vector<COLORREF> FrameHarness::SettledPixels(const RECT& rect)
{
    std::vector<COLORREF> last = ScreenPixels(rect);
    int readings = 0;
    Pump([&] {
        std::vector<COLORREF> now = ScreenPixels(rect);
        const bool settled = readings++ > 0 && now == last;
        last.swap(now);
        return settled;
    }, 2000);
    return last;
}

std::vector<COLORREF> ScreenPixels(const RECT& rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::vector<COLORREF> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory != nullptr && bitmap != nullptr) {
        const HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ::SelectObject(memory, old);
        // The DIB holds blue, green, red; COLORREF holds red lowest.
        const DWORD* row = static_cast<const DWORD*>(bits);
        pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int i = 0; i < width * height; ++i)
            pixels.push_back(RGB((row[i] >> 16) & 0xFF, (row[i] >> 8) & 0xFF, row[i] & 0xFF));
    }
    if (bitmap != nullptr)
        ::DeleteObject(bitmap);
    if (memory != nullptr)
        ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

ModalWatcher::ModalWatcher(const char* windowClass, const char* caption, std::function<void(HWND)> answer)
    : windowClass(windowClass), caption(caption != nullptr ? caption : ""), anyCaption(caption == nullptr),
      answer(std::move(answer))
{
    watcher = std::thread(&ModalWatcher::Watch, this);
}

ModalWatcher::~ModalWatcher()
{
    stop = true;
    watcher.join();
}

void ModalWatcher::Watch()
{
    while (!stop) {
        const HWND found = ::FindWindowA(windowClass.c_str(), anyCaption ? nullptr : caption.c_str());
        // A window can be found before it shows: answer only once it is
        // visible, and only once.
        if (found != nullptr && ::IsWindowVisible(found)) {
            answer(found);
            ++seen;
            const ULONGLONG deadline = ::GetTickCount64() + 10000;
            while (::IsWindow(found) && ::IsWindowVisible(found) && ::GetTickCount64() < deadline)
                ::Sleep(5);
        }
        ::Sleep(10);
    }
}

bool WriteBitmap(const std::string& path, const std::vector<COLORREF>& pixels, int width, int height)
{
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
    info = {sizeof info, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
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
