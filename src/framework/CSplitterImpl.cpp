#include "CSplitterImpl.h"

CWndClassInfo& CSplitterImpl::GetWndClassInfo()
{
    // No background brush: the panes cover everything but the bar, which is
    // painted here.
    static CWndClassInfo info = {
        {sizeof(WNDCLASSEXA), 0, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
        nullptr, nullptr, 0, ""};
    if (info.wc.hCursor == nullptr)
        info.wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    return info;
}

HWND CSplitterImpl::Create(HWND parent, DWORD style, UINT id)
{
    const RECT none = {0, 0, 0, 0};
    return CWindowImpl<CSplitterImpl>::Create(parent, none, nullptr, style, 0, id);
}

void CSplitterImpl::SetSplitterPanes(HWND top, HWND bottom, bool update)
{
    panes[0] = top;
    panes[1] = bottom;
    if (update)
        UpdateSplitterLayout();
}

void CSplitterImpl::SetDpi(UINT dpi)
{
    barThickness = SystemMetricForDpi(SM_CYSIZEFRAME, dpi);
    position = Clamp(position);
    UpdateSplitterLayout();
}

int CSplitterImpl::Height() const
{
    RECT client = {0, 0, 0, 0};
    if (handle != nullptr)
        GetClientRect(&client);
    return client.bottom - client.top;
}

int CSplitterImpl::Clamp(int requested) const
{
    int clamped = requested < minimumPaneSize ? minimumPaneSize : requested;
    const int height = Height();
    if (height > 0 && clamped > height - barThickness - minimumPaneSize)
        clamped = height - barThickness - minimumPaneSize;
    return clamped;
}

bool CSplitterImpl::SetSplitterPos(int requested, bool update)
{
    const int clamped = Clamp(requested);
    const int height = Height();
    if (height > 0) {
        const int shared = height - barThickness;
        proportion = shared > 0 ? static_cast<int>(static_cast<long long>(clamped) * proportionScale / shared) : 0;
    }
    const bool changed = clamped != position;
    position = clamped;
    if (update)
        UpdateSplitterLayout();
    return changed;
}

void CSplitterImpl::UpdateSplitterLayout()
{
    if (handle == nullptr)
        return;
    RECT client;
    GetClientRect(&client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (panes[0] != nullptr)
        ::SetWindowPos(panes[0], nullptr, 0, 0, width, position, SWP_NOZORDER | SWP_NOACTIVATE);
    if (panes[1] != nullptr) {
        const int top = position + barThickness;
        ::SetWindowPos(panes[1], nullptr, 0, top, width, height - top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT bar = {0, position, width, position + barThickness};
    ::InvalidateRect(handle, &bar, TRUE);
}

bool CSplitterImpl::IsOverBar(int y) const
{
    return y >= position && y < position + barThickness;
}

void CSplitterImpl::PaintBar()
{
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(handle, &paint);
    RECT client;
    GetClientRect(&client);
    RECT bar = {0, position, client.right, position + barThickness};
    ::FillRect(dc, &bar, ::GetSysColorBrush(COLOR_3DFACE));
    // Without panes the rest would stay unpainted.
    for (int pane = 0; pane < 2; ++pane) {
        if (panes[pane] != nullptr)
            continue;
        RECT area = pane == 0 ? RECT{0, 0, client.right, position}
                              : RECT{0, position + barThickness, client.right, client.bottom};
        ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_WINDOW));
    }
    ::EndPaint(handle, &paint);
}

bool CSplitterImpl::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (IsNotificationMessage(message)) {
        result = ::SendMessageA(GetParent(), message, wParam, lParam);
        return true;
    }
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            const int shared = Height() - barThickness;
            position = Clamp(static_cast<int>(static_cast<long long>(proportion) * shared / proportionScale));
            UpdateSplitterLayout();
        }
        result = 0;
        return true;
    case WM_PAINT:
        PaintBar();
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SETCURSOR: {
        POINT point;
        ::GetCursorPos(&point);
        ScreenToClient(&point);
        if (reinterpret_cast<HWND>(wParam) == handle && IsOverBar(point.y)) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_SIZENS));
            result = TRUE;
            return true;
        }
        return false;
    }
    case WM_LBUTTONDOWN:
        if (IsOverBar(y)) {
            dragOffset = y - position;
            ::SetCapture(handle);
        }
        result = 0;
        return true;
    case WM_MOUSEMOVE:
        if (dragOffset >= 0 && ::GetCapture() == handle) {
            if (SetSplitterPos(y - dragOffset))
                UpdateWindow();
        }
        result = 0;
        return true;
    case WM_LBUTTONUP:
        if (::GetCapture() == handle)
            ::ReleaseCapture();
        result = 0;
        return true;
    case WM_CAPTURECHANGED:
        dragOffset = -1;
        result = 0;
        return true;
    case WM_SETFOCUS:
        if (panes[activePane] != nullptr)
            ::SetFocus(panes[activePane]);
        result = 0;
        return true;
    default:
        return false;
    }
}
