#ifndef LARKSPUR_FRAMEWORK_CWINDOW_H
#define LARKSPUR_FRAMEWORK_CWINDOW_H

#include <windows.h>

// A window handle with the calls the program makes on every kind of window.
// It owns nothing: copying it copies the handle.
class CWindow {
public:
    CWindow(HWND window = nullptr) : handle(window) {}

    operator HWND() const { return handle; }
    bool IsWindow() const { return handle != nullptr && ::IsWindow(handle); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(handle, message, wParam, lParam);
    }
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(handle, message, wParam, lParam) != FALSE;
    }

    HWND GetParent() const { return ::GetParent(handle); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(handle, id); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(handle, GWL_STYLE)); }

    bool GetClientRect(RECT* rect) const { return ::GetClientRect(handle, rect) != FALSE; }
    bool GetWindowRect(RECT* rect) const { return ::GetWindowRect(handle, rect) != FALSE; }
    bool ClientToScreen(POINT* point) const { return ::ClientToScreen(handle, point) != FALSE; }
    bool ScreenToClient(POINT* point) const { return ::ScreenToClient(handle, point) != FALSE; }
    bool MoveWindow(int x, int y, int width, int height, bool repaint = true) const
    {
        return ::MoveWindow(handle, x, y, width, height, repaint) != FALSE;
    }
    bool SetWindowPos(HWND after, const RECT& rect, UINT flags) const
    {
        return ::SetWindowPos(handle, after, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                              flags) != FALSE;
    }
    bool ShowWindow(int command) const { return ::ShowWindow(handle, command) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(handle) != FALSE; }
    bool IsIconic() const { return ::IsIconic(handle) != FALSE; }
    bool CenterWindow(HWND over = nullptr) const;

    bool SetWindowText(const char* text) const { return ::SetWindowTextA(handle, text) != FALSE; }
    int GetWindowText(char* text, int size) const { return ::GetWindowTextA(handle, text, size); }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(handle); }

    HWND SetFocus() const { return ::SetFocus(handle); }
    bool Invalidate(bool erase = true) const { return ::InvalidateRect(handle, nullptr, erase) != FALSE; }
    bool UpdateWindow() const { return ::UpdateWindow(handle) != FALSE; }
    bool DestroyWindow() const { return ::DestroyWindow(handle) != FALSE; }

    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font, bool redraw = true) const
    {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }
    bool SetMenu(HMENU menu) const { return ::SetMenu(handle, menu) != FALSE; }
    HMENU GetMenu() const { return ::GetMenu(handle); }
    UINT_PTR SetTimer(UINT_PTR id, UINT period) const { return ::SetTimer(handle, id, period, nullptr); }

    HWND handle;
};

#endif
