#ifndef LARKSPUR_FRAMEWORK_CMULTIPANESTATUSBARCTRL_H
#define LARKSPUR_FRAMEWORK_CMULTIPANESTATUSBARCTRL_H

#include "CStatusBarCtrl.h"
#include "CWindowImpl.h"
#include "DpiScale.h"

#include <vector>

// A status bar with panes named by ids: the pane of id defaultPaneId
// stretches; every other pane is as wide as its id's string in the bar's font
// (plus the bar's border and 6 pixels at 96 DPI) and keeps its place at the
// right edge as the bar is resized. Font and widths follow the bar's DPI.
class CMultiPaneStatusBarCtrl : public CWindowImpl<CMultiPaneStatusBarCtrl, CStatusBarCtrl> {
public:
    static const int defaultPaneId = 0;

    // Creates the status bar window with the text of string textId and takes
    // over its messages.
    HWND Create(HWND parent, UINT textId, DWORD style, UINT id);

    bool SetPanes(const int* paneIds, int count);
    // Gives the bar its font at dpi and sizes the panes for it.
    void SetDpi(UINT newDpi);
    bool SetPaneText(int paneId, const char* text);
    bool GetPaneText(int paneId, char* text, int size) const;

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int IndexOf(int paneId) const;
    // Each fixed pane's width from its string in the bar's present font.
    void MeasurePanes();
    void UpdatePanesLayout();

    std::vector<int> paneIds;
    std::vector<int> paneWidths;
    UINT dpi = defaultDpi;
    CDpiFont font;
};

#endif
