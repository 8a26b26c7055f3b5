#ifndef LARKSPUR_FRAMEWORK_CRICHEDITCTRL_H
#define LARKSPUR_FRAMEWORK_CRICHEDITCTRL_H

#include "CWindow.h"

#include <richedit.h>

// A rich edit 2.0 control: each call is one edit or rich edit message.
class CRichEditCtrl : public CWindow {
public:
    CRichEditCtrl(HWND window = nullptr) : CWindow(window) {}

    void SetSel(LONG first, LONG last) const
    {
        CHARRANGE range = {first, last};
        SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    void GetSel(CHARRANGE* range) const { SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(range)); }
    void SetRect(const RECT& rect) const { SendMessage(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect)); }
    void GetRect(RECT* rect) const { SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(rect)); }
    void LimitText(LONG characters) const { SendMessage(EM_EXLIMITTEXT, 0, characters); }
    void SetLangOptions(DWORD options) const { SendMessage(EM_SETLANGOPTIONS, 0, options); }
    void SetAutoURLDetect(bool on) const { SendMessage(EM_AUTOURLDETECT, on); }
    DWORD SetEventMask(DWORD mask) const { return static_cast<DWORD>(SendMessage(EM_SETEVENTMASK, 0, mask)); }
    void SetReadOnly(bool readOnly) const { SendMessage(EM_SETREADONLY, readOnly); }
    bool SetParaFormat(PARAFORMAT2& format) const
    {
        return SendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format)) != FALSE;
    }
    bool SetSelectionCharFormat(CHARFORMAT2A& format) const
    {
        return SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)) != FALSE;
    }
    COLORREF SetBackgroundColor(COLORREF colour) const
    {
        return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, 0, colour));
    }
    bool CanPaste(UINT format) const { return SendMessage(EM_CANPASTE, format) != FALSE; }
    LONG GetTextRange(LONG first, LONG last, char* text) const
    {
        TEXTRANGEA range = {{first, last}, text};
        return static_cast<LONG>(SendMessage(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
    }
    void Cut() const { SendMessage(WM_CUT); }
    void Copy() const { SendMessage(WM_COPY); }
    void Paste() const { SendMessage(WM_PASTE); }
    void Clear() const { SendMessage(WM_CLEAR); }
};

#endif
