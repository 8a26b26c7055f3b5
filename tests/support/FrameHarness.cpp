#include "FrameHarness.h"

#include "CAppModule.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>

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

bool FrameHarness::Create(int width, int height)
{
    frame.reset(new MainFrame);
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    const RECT rect = {left, top, left + width, top + height};
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
        if (!loop.PreTranslateMessage(&message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    if (any)
        loop.OnIdle(0);
}

std::string PaneText(MainFrame& frame, int paneId)
{
    char text[512] = "";
    frame.statusBarCtrl.GetPaneText(paneId, text, sizeof text);
    return text;
}
