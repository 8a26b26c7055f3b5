#ifndef LARKSPUR_VIEWS_FINDBOX_H
#define LARKSPUR_VIEWS_FINDBOX_H

#include "CWindowImpl.h"
#include "DpiScale.h"

// The find box: a small modeless dialog (template findDialogResource) owned
// by the main frame, with the text to find, 次を検索 and 前を検索, and a line
// that tells how the last find went. It finds nothing itself: its buttons
// and Enter (Shift+Enter: backward) reach the owner as findNextCommand and
// findPreviousCommand, and the owner reads Text. Esc hides it and gives the
// focus back to where it was before the box opened. Made on first use, then
// kept, hidden or shown, with its text, until the owner goes.
class FindBox : public CDialogImpl<FindBox> {
public:
    FindBox();

    // Shows the box over owner with its text selected and the focus in it.
    void Open(HWND owner);
    bool IsOpen() const;
    // The text to find (size bytes, terminated); empty before the first use.
    void GetText(char* text, int size) const;
    // The line under the text: "検索中 ..." or the outcome.
    void SetState(const char* text);

    // A message of the box's thread: the box's own keys (Tab, Enter, Esc,
    // the edit keys) go to it, and true is returned; F3 and Ctrl+F are left
    // to the owner's accelerators, as are messages of other windows.
    bool PreTranslate(MSG* message);

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The owner's DPI, which the box's first place beside it is scaled to.
    UINT dpi = defaultDpi;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnFind(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, bool&);

    HWND returnFocus = nullptr;
};

#endif
