#ifndef LARKSPUR_FRAMEWORK_CMULTIPANESTATUSBARCTRL_H
#define LARKSPUR_FRAMEWORK_CMULTIPANESTATUSBARCTRL_H

#include "CStatusBarCtrl.h"
#include "CWindowImpl.h"

#include <vector>

// A status bar with panes named by ids: the pane of id defaultPaneId
// stretches; every other pane is as wide as its id's string in the bar's font
// (plus the bar's border and 6 pixels) and keeps its place at the right edge
// as the bar is resized.
class CMultiPaneStatusBarCtrl : public CWindowImpl<CMultiPaneStatusBarCtrl, CStatusBarCtrl> {
public:
    static const int defaultPaneId = 0;

    // Creates the status bar window with the text of string textId and takes
    // over its messages.
    HWND Create(HWND parent, UINT textId, DWORD style, UINT id);

    bool SetPanes(const int* paneIds, int count);
    bool SetPaneText(int paneId, const char* text);
    bool GetPaneText(int paneId, char* text, int size) const;

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int IndexOf(int paneId) const;
    void UpdatePanesLayout();

    std::vector<int> paneIds;
    std::vector<int> paneWidths;
};

#endif
