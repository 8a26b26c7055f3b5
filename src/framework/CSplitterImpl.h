#ifndef LARKSPUR_FRAMEWORK_CSPLITTERIMPL_H
#define LARKSPUR_FRAMEWORK_CSPLITTERIMPL_H

#include "CWindowImpl.h"
#include "DpiScale.h"

// A splitter window with a horizontal bar: a top and a bottom pane, the bar
// between them as thick as the system's sizing frame (at the splitter's DPI),
// dragged with the mouse.
//
// Rules of the bar position: a requested position is clamped so that each
// pane keeps the minimum pane size (below the minimum becomes the minimum;
// one leaving the bottom pane short becomes height - bar - minimum). A
// position set while the splitter has a height is also kept as a proportion
// of the height the panes share, in 1/10000 units; a resize recomputes the
// position from that proportion (and clamps it again) without storing a new
// one. A splitter that never had a height keeps the proportion 0, which
// holds the top pane at its minimum.
//
// Notifications, commands, owner-draw, scroll, colour and parent-notify
// messages from the panes go on to the splitter's parent.
class CSplitterImpl : public CWindowImpl<CSplitterImpl> {
public:
    static const int proportionScale = 10000;

    static CWndClassInfo& GetWndClassInfo();

    HWND Create(HWND parent, DWORD style, UINT id = 0);

    void SetSplitterPanes(HWND top, HWND bottom, bool update = true);
    // The pane that takes the focus when the splitter gets it (0 or 1).
    void SetDefaultActivePane(int pane) { activePane = pane == 0 ? 0 : 1; }

    void SetMinimumPaneSize(int size) { minimumPaneSize = size; }
    // Makes the bar as thick as the sizing frame at dpi and lays the panes
    // out around it.
    void SetDpi(UINT dpi);

    // Sets the bar position by the rules above; true when it changed.
    bool SetSplitterPos(int position, bool update = true);
    int GetSplitterPos() const { return position; }
    int GetBarThickness() const { return barThickness; }

    void UpdateSplitterLayout();

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int Height() const;
    int Clamp(int requested) const;
    bool IsOverBar(int y) const;
    void PaintBar();

    HWND panes[2] = {nullptr, nullptr};
    int activePane = 0;
    int minimumPaneSize = 0;
    int position = 0;
    int proportion = 0;
    int barThickness = ::GetSystemMetrics(SM_CYSIZEFRAME);
    int dragOffset = -1;
};

#endif
