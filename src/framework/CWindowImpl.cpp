#include "CWindowImpl.h"

#include <cstdint>
#include <cstdio>

namespace {

// The window property that holds a window's object.
const char bindingProperty[] = "WfxWindowObject";

bool ReturnsResultDirectly(UINT message)
{
    // These answer a dialog's caller with the procedure's own return value,
    // not with DWLP_MSGRESULT.
    switch (message) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

} // namespace

ATOM CWndClassInfo::Register(WNDPROC procedure)
{
    if (atom != 0)
        return atom;
    std::snprintf(name, sizeof name, "Wfx:%8.8X", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this)));
    WNDCLASSEXA registered = wc;
    if (baseClassName != nullptr) {
        WNDCLASSEXA base = {};
        base.cbSize = sizeof base;
        if (!::GetClassInfoExA(nullptr, baseClassName, &base)
            && !::GetClassInfoExA(appModule.GetModuleInstance(), baseClassName, &base))
            return 0;
        baseProc = base.lpfnWndProc;
        registered = base;
        registered.cbSize = sizeof registered;
    }
    registered.lpfnWndProc = procedure;
    registered.hInstance = appModule.GetModuleInstance();
    registered.lpszClassName = name;
    atom = ::RegisterClassExA(&registered);
    return atom;
}

CWindowBinding* CWindowBinding::FromHandle(HWND window)
{
    return static_cast<CWindowBinding*>(::GetPropA(window, bindingProperty));
}

bool CWindowBinding::Bind(HWND window)
{
    if (!::SetPropA(window, bindingProperty, static_cast<HANDLE>(this)))
        return false;
    SetBoundHandle(window);
    return true;
}

bool CWindowBinding::SubclassHandle(HWND window)
{
    if (window == nullptr || FromHandle(window) != nullptr || !Bind(window))
        return false;
    superWindowProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowBinding::WindowProc)));
    subclassed = true;
    return true;
}

LRESULT CWindowBinding::CallSuperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcA(superWindowProc, window, message, wParam, lParam);
}

LRESULT CALLBACK CWindowBinding::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowBinding* object = FromHandle(window);
    if (object == nullptr) {
        object = static_cast<CWindowBinding*>(appModule.ExtractCreateWndData());
        if (object == nullptr || !object->Bind(window))
            return ::DefWindowProcA(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (!object->ProcessWindowMessage(window, message, wParam, lParam, result))
        result = object->CallSuperProc(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::RemovePropA(window, bindingProperty);
        if (object->subclassed) {
            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(object->superWindowProc));
            object->subclassed = false;
        }
        object->SetBoundHandle(nullptr);
        object->OnFinalMessage(window);
    }
    return result;
}

INT_PTR CALLBACK CWindowBinding::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowBinding* object = FromHandle(window);
    if (object == nullptr) {
        object = static_cast<CWindowBinding*>(appModule.ExtractCreateWndData());
        if (object == nullptr || !object->Bind(window))
            return FALSE;
    }
    LRESULT result = 0;
    const bool handled = object->ProcessWindowMessage(window, message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        ::RemovePropA(window, bindingProperty);
        object->SetBoundHandle(nullptr);
        object->OnFinalMessage(window);
        return FALSE;
    }
    if (!handled)
        return FALSE;
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}
