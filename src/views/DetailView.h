#ifndef LARKSPUR_VIEWS_DETAILVIEW_H
#define LARKSPUR_VIEWS_DETAILVIEW_H

#include "CRichEditCtrl.h"
#include "CWindowImpl.h"
#include "DpiScale.h"
#include "TextFunctions.h"

struct TimelineEntry;

// The author's picture in the detail pane: the static control, taken over so
// that a known picture is drawn from the 48x48 image list.
class IconStatic : public CWindowImpl<IconStatic> {
public:
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    int iconIndex = -1;
};

// The selected status in full: picture, name line, local time, and the text
// in a read-only rich edit control with web addresses, @names and #tags as
// links. A child dialog (template 201), the top pane of the window.
class DetailView : public CDialogImpl<DetailView> {
public:
    DetailView();
    ~DetailView();

    // Replaces everything the pane shows with entry.
    void ShowEntry(const TimelineEntry& entry);
    // Empties the name and time labels (the template holds placeholders).
    void ClearLabels();
    // Shows the picture of the shown entry when it has arrived since.
    void RefreshIcon();
    // Selects length bytes of the shown text from byte offset on (a find's
    // match), as whole characters, and scrolls them into view.
    void SelectShownBytes(int offset, int length);

    const CRichEditCtrl& Edit() const { return edit; }
    int IconIndex() const { return iconIndex; }

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Lays the pane out and makes its fonts for another DPI.
    void SetDpi(UINT newDpi);

    // The DPI the pane is laid out for; set before Create.
    UINT dpi = defaultDpi;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnCopyText(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnLink(UINT, WPARAM, LPARAM, bool&);

    void PlaceTimeLabel();
    // Marks the @name and #tag runs of the shown text as blue links.
    void MarkEntityLinks(const char* text);

    CRichEditCtrl edit;
    CWindow nameLabel;
    CWindow timeLabel;
    IconStatic iconStatic;
    int iconIndex = -1;
    char shownIconUrl[256] = "";
    // The DPI the template was laid out at, where the picture and the name
    // label were then, and the labels' font at any other DPI.
    UINT templateDpi = defaultDpi;
    RECT iconRect = {};
    RECT nameRect = {};
    HFONT labelFont = nullptr;
    char shownText[strippedTextSize + 2] = "";
};

#endif
