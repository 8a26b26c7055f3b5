#include "CMultiPaneStatusBarCtrl.h"

#include <new>

HWND CMultiPaneStatusBarCtrl::Create(HWND parent, UINT textId, DWORD style, UINT id)
{
    char text[256] = "";
    ::LoadStringA(appModule.GetResourceInstance(), textId, text, sizeof text);
    const HWND created = ::CreateWindowExA(0, STATUSCLASSNAMEA, text, style, 0, 0, 0, 0, parent,
                                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                           appModule.GetModuleInstance(), nullptr);
    if (created != nullptr && !SubclassWindow(created)) {
        ::DestroyWindow(created);
        return nullptr;
    }
    // The bar's own font is made for the system DPI.
    font.Attach(created, SystemDpi());
    return created;
}

bool CMultiPaneStatusBarCtrl::SetPanes(const int* ids, int count)
{
    if (handle == nullptr || count <= 0)
        return false;
    try {
        paneIds.assign(ids, ids + count);
        paneWidths.assign(static_cast<size_t>(count), 0);
    } catch (const std::bad_alloc&) {
        paneIds.clear();
        paneWidths.clear();
    }
    if (paneIds.empty())
        return false;
    MeasurePanes();
    UpdatePanesLayout();
    return true;
}

void CMultiPaneStatusBarCtrl::SetDpi(UINT newDpi)
{
    dpi = newDpi;
    if (handle == nullptr)
        return;
    font.SetDpi(dpi);
    MeasurePanes();
    UpdatePanesLayout();
}

void CMultiPaneStatusBarCtrl::MeasurePanes()
{
    int borders[3] = {};
    GetBorders(borders);
    const HDC dc = ::GetDC(handle);
    const HGDIOBJ old = ::SelectObject(dc, GetFont());
    for (size_t i = 0; i < paneIds.size(); ++i) {
        if (paneIds[i] == defaultPaneId)
            continue;
        char text[256] = "";
        ::LoadStringA(appModule.GetResourceInstance(), static_cast<UINT>(paneIds[i]), text, sizeof text);
        SIZE extent = {};
        ::GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
        paneWidths[i] = extent.cx + borders[0] + ScaleToDpi(6, dpi);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(handle, dc);
}

int CMultiPaneStatusBarCtrl::IndexOf(int paneId) const
{
    for (size_t i = 0; i < paneIds.size(); ++i) {
        if (paneIds[i] == paneId)
            return static_cast<int>(i);
    }
    return -1;
}

bool CMultiPaneStatusBarCtrl::SetPaneText(int paneId, const char* text)
{
    const int index = IndexOf(paneId);
    return index >= 0 && SetText(index, text);
}

bool CMultiPaneStatusBarCtrl::GetPaneText(int paneId, char* text, int size) const
{
    const int index = IndexOf(paneId);
    if (index < 0 || size <= 0 || GetTextLength(index) >= size)
        return false;
    GetText(index, text);
    return true;
}

void CMultiPaneStatusBarCtrl::UpdatePanesLayout()
{
    if (paneIds.empty())
        return;
    RECT client;
    GetClientRect(&client);
    // The grip sits inside the last pane; it gets room of its own.
    int right = client.right;
    if (GetStyle() & SBARS_SIZEGRIP)
        right -= SystemMetricForDpi(SM_CXVSCROLL, dpi);
    std::vector<int> edges;
    try {
        edges.assign(paneIds.size(), -1);
    } catch (const std::bad_alloc&) {
        return;
    }
    int fixedAfter = 0;
    for (size_t i = paneIds.size(); i-- > 0;) {
        edges[i] = i + 1 == paneIds.size() ? -1 : right - fixedAfter;
        if (paneIds[i] != defaultPaneId)
            fixedAfter += paneWidths[i];
    }
    SetParts(static_cast<int>(edges.size()), edges.data());
}

bool CMultiPaneStatusBarCtrl::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SIZE) {
        result = DefWindowProc(message, wParam, lParam);
        UpdatePanesLayout();
        return true;
    }
    return false;
}
