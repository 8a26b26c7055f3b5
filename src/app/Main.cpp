#include "CAppModule.h"
#include "CMessageLoop.h"
#include "DpiScale.h"
#include "MainFrame.h"
#include "ResourceIds.h"
#include "TimelineModel.h"
#include "WindowPlacement.h"
#include "WorkerGate.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
// GDI+ needs the COM property types that the lean Windows header leaves out.
#include <objidl.h>
#include <gdiplus.h>

namespace {

const int frameWidth = 480;
const int frameHeight = 610;
// Decoding a picture takes milliseconds; a worker inside the gate longer than
// this is not waited for.
const int gateCloseTimeoutMs = 2000;

int RunMainWindow(LPSTR, int showCommand)
{
    CMessageLoop loop;
    appModule.AddMessageLoop(&loop);
    int result = 0;
    {
        MainFrame frame;
        // Centred on the primary screen at its DPI, inside its work area.
        const UINT dpi = SystemDpi();
        const RECT rect = FirstWindowRect({ScaleToDpi(frameWidth, dpi), ScaleToDpi(frameHeight, dpi)});
        if (frame.CreateFrame(rect) != nullptr) {
            frame.ShowWindow(showCommand);
            result = loop.Run();
        }
        appModule.RemoveMessageLoop();
    }
    return result;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    ::CoInitialize(nullptr);
    // A call into the window manager that needs no window: this thread is set
    // up for windows before any library below creates its own.
    ::DefWindowProcA(nullptr, 0, 0, 0);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    ::InitCommonControlsEx(&controls);
    const HMODULE richEdit = ::LoadLibraryA("RICHED20.DLL");
    if (richEdit == nullptr) {
        ::MessageBoxA(nullptr, "リッチエディットコントロール初期化失敗", "エラー", MB_OK | MB_ICONERROR);
        return 0;
    }

    Gdiplus::GdiplusStartupInput graphicsInput;
    ULONG_PTR graphicsToken = 0;
    Gdiplus::GdiplusStartup(&graphicsToken, &graphicsInput, nullptr);
    appModule.Init(instance);

    const int result = RunMainWindow(commandLine, showCommand);

    // From here on no worker enters GDI+, the icon cache or the store; the
    // ones still running (a download, the overload box) are not waited for.
    ShutdownGate().Close(gateCloseTimeoutMs);
    Gdiplus::GdiplusShutdown(graphicsToken);
    appModule.Term();
    ::CoUninitialize();
    ::FreeLibrary(richEdit);
    // End the process here rather than return: returning would run the
    // static destructors under workers that may still be running.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
