#include "DpiScale.h"

namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);

GetDpiForWindowCall LookUpGetDpiForWindow()
{
    const HMODULE user = ::GetModuleHandleA("user32.dll");
    return user != nullptr ? reinterpret_cast<GetDpiForWindowCall>(
                                 reinterpret_cast<void*>(::GetProcAddress(user, "GetDpiForWindow")))
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
