#ifndef LARKSPUR_FRAMEWORK_CWINDOWIMPL_H
#define LARKSPUR_FRAMEWORK_CWINDOWIMPL_H

#include "CAppModule.h"
#include "CMessageMap.h"
#include "CWindow.h"

// What registers a window class for a window object: the class record with
// its styles, brush, cursor and icons, and, for a superclass, the system
// class it is made from. The class name is generated from the record's own
// address, so every record names a class of its own.
struct CWndClassInfo {
    WNDCLASSEXA wc;
    const char* baseClassName; // superclass of this system class; null for a class of our own
    WNDPROC baseProc;          // the system class's procedure, for a superclass
    ATOM atom;
    char name[32];

    // Registers the class once, with `procedure` as its window procedure.
    ATOM Register(WNDPROC procedure);
};

// The part of every window object that the framework's window procedure
// talks to: the binding of an object to its handle (made by the first message
// the new window receives, from the module's window-creation data, or by
// subclassing), the message map and the procedure unhandled messages go to.
class CWindowBinding : public CMessageMap {
public:
    CWindowBinding() = default;
    CWindowBinding(const CWindowBinding&) = delete;
    CWindowBinding& operator=(const CWindowBinding&) = delete;

    // The object bound to window, or null.
    static CWindowBinding* FromHandle(HWND window);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    ~CWindowBinding() = default;

    // The handle of the bound window; set by Bind, cleared after WM_NCDESTROY.
    virtual void SetBoundHandle(HWND window) = 0;
    // Called after the window's last message; the object may delete itself.
    virtual void OnFinalMessage(HWND) {}

    bool Bind(HWND window);
    // Takes over an existing window: its messages reach this object first,
    // then the procedure it had.
    bool SubclassHandle(HWND window);
    LRESULT CallSuperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC superWindowProc = ::DefWindowProcA;
    bool subclassed = false;
    bool isDialog = false;
};

// A window object of class T over the control or window type TBase. T may
// override GetWndClassInfo() to set its class; the default is a class of its
// own with no styles, the window colour and the arrow cursor.
template <class T, class TBase = CWindow>
class CWindowImpl : public TBase, public CWindowBinding {
public:
    static CWndClassInfo& GetWndClassInfo()
    {
        static CWndClassInfo info = {
            {sizeof(WNDCLASSEXA), 0, nullptr, 0, 0, nullptr, nullptr, nullptr,
             reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr, nullptr, nullptr},
            nullptr, nullptr, 0, ""};
        return info;
    }

    HWND Create(HWND parent, const RECT& rect, const char* text, DWORD style, DWORD exStyle = 0,
                UINT_PTR id = 0, void* createParam = nullptr)
    {
        CWndClassInfo& info = T::GetWndClassInfo();
        if (info.Register(CWindowBinding::WindowProc) == 0)
            return nullptr;
        if (info.baseProc != nullptr)
            superWindowProc = info.baseProc;
        appModule.AddCreateWndData(static_cast<CWindowBinding*>(this));
        const HWND created = ::CreateWindowExA(exStyle, MAKEINTATOM(info.atom), text, style, rect.left, rect.top,
                                               rect.right - rect.left, rect.bottom - rect.top, parent,
                                               reinterpret_cast<HMENU>(id), appModule.GetModuleInstance(),
                                               createParam);
        // A window that failed before its first message left the entry behind.
        if (created == nullptr && this->handle == nullptr)
            appModule.ExtractCreateWndData();
        return created;
    }

    bool SubclassWindow(HWND window) { return SubclassHandle(window); }

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return CallSuperProc(this->handle, message, wParam, lParam);
    }

protected:
    void SetBoundHandle(HWND window) override { this->handle = window; }
};

// A dialog object of class T from a dialog template: modeless (Create) or
// modal (DoModal). Messages it claims answer through DWLP_MSGRESULT.
template <class T>
class CDialogImpl : public CWindow, public CWindowBinding {
public:
    explicit CDialogImpl(int templateId) : templateId(templateId) { isDialog = true; }

    HWND Create(HWND parent, LPARAM initParam = 0)
    {
        appModule.AddCreateWndData(static_cast<CWindowBinding*>(this));
        const HWND created = ::CreateDialogParamA(appModule.GetResourceInstance(), MAKEINTRESOURCEA(templateId),
                                                  parent, CWindowBinding::DialogProc, initParam);
        if (created == nullptr && handle == nullptr)
            appModule.ExtractCreateWndData();
        return created;
    }

    INT_PTR DoModal(HWND parent, LPARAM initParam = 0)
    {
        appModule.AddCreateWndData(static_cast<CWindowBinding*>(this));
        const INT_PTR result = ::DialogBoxParamA(appModule.GetResourceInstance(), MAKEINTRESOURCEA(templateId),
                                                 parent, CWindowBinding::DialogProc, initParam);
        if (result == -1 && handle == nullptr)
            appModule.ExtractCreateWndData();
        return result;
    }

    bool EndDialog(int result) { return ::EndDialog(handle, result) != FALSE; }

protected:
    void SetBoundHandle(HWND window) override { handle = window; }

private:
    int templateId;
};

#endif
