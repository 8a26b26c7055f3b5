#ifndef LARKSPUR_VIEWS_COMPOSEVIEW_H
#define LARKSPUR_VIEWS_COMPOSEVIEW_H

#include "CMessageLoop.h"
#include "CRichEditCtrl.h"
#include "CWindowImpl.h"
#include "DpiScale.h"

#include <string>

// The pane in which the user writes a status: a rich edit control limited to
// 140 characters, a counter of the characters left and the send button. A
// child dialog (template 202), the bottom pane of the window. A text in the
// form of a direct message ("D name ...") turns the box light green.
class ComposeView : public CDialogImpl<ComposeView>, public CMessageFilter {
public:
    ComposeView();
    ~ComposeView();

    const CRichEditCtrl& Edit() const { return edit; }

    // Hands the text (its first statusBufferSize - 1 bytes, cut between two
    // characters) to a new status-post thread, then empties the box after
    // 200 ms. A thread that cannot start leaves the text in the box.
    void SendStatus();

    bool IsEmpty() const { return edit.GetWindowTextLength() == 0; }

    // Puts the text of a post that failed (or was left at exit) into the
    // box, caret at the end, counter updated; inReplyTo, when not empty, is
    // the status it answered, kept while the text begins with its @name. The
    // caller gives back only into an empty box.
    void GiveBack(const char* text, const char* inReplyTo = "");

    // A reply to the status statusId of screenName: "@name " in the box,
    // caret at the end, the focus in it.
    void StartReply(const char* statusId, const char* screenName);
    // The status the text answers: its id while the text still begins with
    // the @name the reply was started with, "" otherwise.
    const char* ReplyTo() const { return replyId; }
    // What the box holds (system code page), whole.
    std::string Text() const;

    // Ctrl+S (table 205) for the pane, then dialog navigation inside it.
    BOOL PreTranslateMessage(MSG* message) override;

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Lays the pane out and makes its fonts for another DPI.
    void SetDpi(UINT newDpi);

    // The DPI the pane is laid out for; set before Create.
    UINT dpi = defaultDpi;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSend(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnEditCommand(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnChange(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnLink(UINT, WPARAM, LPARAM, bool&);

    // The counter and the direct-message colour, from the text.
    void UpdateCounter();

    CRichEditCtrl edit;
    CWindow sendButton;
    CWindow counter;
    HACCEL accelerators = nullptr;
    bool filtering = false;
    // The DPI the template was laid out at, and the button's and counter's
    // font at any other DPI.
    UINT templateDpi = defaultDpi;
    HFONT labelFont = nullptr;
    // The reply the text makes, if any, and the name it begins with.
    char replyId[32] = "";
    char replyName[256] = "";
};

#endif
