#ifndef LARKSPUR_FRAMEWORK_CFRAMEWINDOWIMPL_H
#define LARKSPUR_FRAMEWORK_CFRAMEWINDOWIMPL_H

#include "CWindowImpl.h"
#include "FrameBars.h"

// A top-level frame window: a top bar (a rebar holding a toolbar), a status
// bar and a client window laid out between them, made from the resources of
// one id (caption string, menu, accelerators, icons, toolbar).
//
// T calls ProcessFrameMessage from its own message map, at the place in its
// order where the frame's handling belongs.
template <class T>
class CFrameWindowImpl : public CWindowImpl<T> {
public:
    // Registers the class with the icons of resourceId, then creates the
    // window with the caption of string resourceId and menu resourceId, and
    // loads accelerator table resourceId once the window exists.
    HWND CreateEx(UINT resourceId, HWND parent, const RECT& rect, DWORD style, DWORD exStyle)
    {
        const HINSTANCE instance = appModule.GetResourceInstance();
        CWndClassInfo& info = T::GetWndClassInfo();
        if (info.atom == 0) {
            info.wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
            info.wc.hIcon = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                                            ::GetSystemMetrics(SM_CXICON),
                                                            ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
            info.wc.hIconSm = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                                              ::GetSystemMetrics(SM_CXSMICON),
                                                              ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
        }
        char caption[256] = "";
        ::LoadStringA(instance, resourceId, caption, sizeof caption);
        const HMENU menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
        const HWND created = CWindowImpl<T>::Create(parent, rect, caption, style, exStyle,
                                                    reinterpret_cast<UINT_PTR>(menu));
        if (created == nullptr) {
            if (menu != nullptr)
                ::DestroyMenu(menu);
            return nullptr;
        }
        accelerators = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));
        return created;
    }

    HWND CreateSimpleToolBarCtrl(UINT resourceId, DWORD style, UINT id = topBarId, const ToolBarStrip* strips = nullptr,
                                 int stripCount = 0, UINT dpi = defaultDpi)
    {
        return CreateToolBarFromResource(appModule.GetResourceInstance(), this->handle, resourceId, style, id, strips,
                                         stripCount, dpi);
    }

    bool CreateSimpleReBarCtrl(DWORD style, UINT id = topBarId)
    {
        topBar = CreateReBar(appModule.GetModuleInstance(), this->handle, style, id);
        return topBar != nullptr;
    }

    bool AddSimpleReBarBand(HWND child, bool newRow) { return AddToolBarBand(topBar, child, newRow); }

    // Puts the top bar at the top and the status bar at the bottom (asking
    // them to size themselves first when resizeBars) and the client window
    // in between.
    void UpdateLayout(bool resizeBars = true)
    {
        RECT rect;
        this->GetClientRect(&rect);
        if (topBar != nullptr && ::IsWindowVisible(topBar)) {
            if (resizeBars)
                ::SendMessageA(topBar, WM_SIZE, 0, 0);
            RECT bar;
            ::GetWindowRect(topBar, &bar);
            rect.top += bar.bottom - bar.top;
        }
        if (statusBar != nullptr && ::IsWindowVisible(statusBar)) {
            if (resizeBars)
                ::SendMessageA(statusBar, WM_SIZE, 0, 0);
            RECT bar;
            ::GetWindowRect(statusBar, &bar);
            rect.bottom -= bar.bottom - bar.top;
        }
        if (clientWindow != nullptr)
            ::SetWindowPos(clientWindow, nullptr, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // The frame's own handling: layout on size, the chevron, background,
    // focus, menu prompts in the status bar, tooltips, and the quit message
    // (exit code 1) when the window is destroyed.
    bool ProcessFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
    {
        switch (message) {
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED)
                UpdateLayout();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            if (clientWindow == nullptr)
                return false;
            result = 1;
            return true;
        case WM_SETFOCUS:
            if (clientWindow != nullptr && ::IsWindow(clientWindow))
                ::SetFocus(clientWindow);
            result = 0;
            return true;
        case WM_MENUSELECT:
            ShowMenuPrompt(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
            result = 0;
            return true;
        case WM_DESTROY:
            ::PostQuitMessage(1);
            result = 0;
            return true;
        case WM_NOTIFY:
            return ProcessFrameNotify(*reinterpret_cast<NMHDR*>(lParam), result);
        default:
            return false;
        }
    }

    HWND topBar = nullptr;
    HWND statusBar = nullptr;
    HWND clientWindow = nullptr;
    HACCEL accelerators = nullptr;

private:
    bool ProcessFrameNotify(NMHDR& header, LRESULT& result)
    {
        const HINSTANCE instance = appModule.GetResourceInstance();
        switch (header.code) {
        case RBN_AUTOSIZE:
            UpdateLayout(false);
            result = 0;
            return true;
        case RBN_CHEVRONPUSHED:
            ShowChevronMenu(instance, this->handle, reinterpret_cast<const NMREBARCHEVRON&>(header));
            result = 0;
            return true;
        case TTN_GETDISPINFOA: {
            NMTTDISPINFOA& info = reinterpret_cast<NMTTDISPINFOA&>(header);
            if (!(info.uFlags & TTF_IDISHWND))
                LoadShortName(instance, static_cast<UINT>(header.idFrom), info.szText, sizeof info.szText);
            result = 0;
            return true;
        }
        case TTN_GETDISPINFOW: {
            NMTTDISPINFOW& info = reinterpret_cast<NMTTDISPINFOW&>(header);
            char text[sizeof info.szText / sizeof info.szText[0]] = "";
            if (!(info.uFlags & TTF_IDISHWND)
                && LoadShortName(instance, static_cast<UINT>(header.idFrom), text, sizeof text))
                ::MultiByteToWideChar(CP_ACP, 0, text, -1, info.szText, sizeof info.szText / sizeof info.szText[0]);
            result = 0;
            return true;
        }
        default:
            return false;
        }
    }

    void ShowMenuPrompt(UINT command, UINT flags, HMENU menu)
    {
        if (statusBar == nullptr)
            return;
        if (flags == 0xFFFF && menu == nullptr) {
            ::SendMessageA(statusBar, SB_SIMPLE, FALSE, 0);
            return;
        }
        char text[256] = "";
        if (!(flags & (MF_POPUP | MF_SEPARATOR)))
            LoadPromptText(appModule.GetResourceInstance(), MenuPromptId(command, flags), text, sizeof text);
        ::SendMessageA(statusBar, SB_SIMPLE, TRUE, 0);
        ::SendMessageA(statusBar, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text));
    }
};

#endif
