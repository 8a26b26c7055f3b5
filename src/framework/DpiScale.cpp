#include "DpiScale.h"

namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);

GetDpiForWindowCall LookUpGetDpiForWindow()
{
    const HMODULE user = ::GetModuleHandleA("user32.dll");
    return user != nullptr ? reinterpret_cast<GetDpiForWindowCall>(
                                 reinterpret_cast<void*>(::GetProcAddress(user, "GetDpiForWindow")))
                           : nullptr;
}

// From Windows 10 1607; Windows 7 and 8 have only the system DPI's metrics.
GetSystemMetricsForDpiCall LookUpGetSystemMetricsForDpi()
{
    const HMODULE user = ::GetModuleHandleA("user32.dll");
    return user != nullptr ? reinterpret_cast<GetSystemMetricsForDpiCall>(
                                 reinterpret_cast<void*>(::GetProcAddress(user, "GetSystemMetricsForDpi")))
                           : nullptr;
}

} // namespace

UINT SystemDpi()
{
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : defaultDpi;
}

UINT WindowDpi(HWND window)
{
    static const GetDpiForWindowCall getDpiForWindow = LookUpGetDpiForWindow();
    const UINT dpi = getDpiForWindow != nullptr && window != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi)
{
    static const GetSystemMetricsForDpiCall getSystemMetricsForDpi = LookUpGetSystemMetricsForDpi();
    if (getSystemMetricsForDpi != nullptr)
        return getSystemMetricsForDpi(index, dpi);
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

HFONT CreateFontForDpi(HFONT font, UINT fromDpi, UINT toDpi)
{
    LOGFONTA description = {};
    if (fromDpi == toDpi || font == nullptr || ::GetObjectA(font, sizeof description, &description) == 0)
        return nullptr;
    description.lfHeight = ::MulDiv(description.lfHeight, static_cast<int>(toDpi), static_cast<int>(fromDpi));
    description.lfWidth = ::MulDiv(description.lfWidth, static_cast<int>(toDpi), static_cast<int>(fromDpi));
    return ::CreateFontIndirectA(&description);
}

CDpiFont::~CDpiFont()
{
    if (made != nullptr)
        ::DeleteObject(made);
}

void CDpiFont::Attach(HWND window, UINT dpi)
{
    if (made != nullptr)
        ::DeleteObject(made);
    made = nullptr;
    control = window;
    own = window != nullptr ? reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)) : nullptr;
    ownDpi = dpi;
}

void CDpiFont::SetDpi(UINT dpi)
{
    if (control == nullptr || (dpi == ownDpi && made == nullptr))
        return;
    const HFONT next = CreateFontForDpi(own, ownDpi, dpi);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(next != nullptr ? next : own), TRUE);
    if (made != nullptr)
        ::DeleteObject(made);
    made = next;
}
