#ifndef LARKSPUR_FRAMEWORK_CTOOLBARCTRL_H
#define LARKSPUR_FRAMEWORK_CTOOLBARCTRL_H

#include "CWindow.h"

#include <commctrl.h>

// A toolbar control: each call is one toolbar message.
class CToolBarCtrl : public CWindow {
public:
    CToolBarCtrl(HWND window = nullptr) : CWindow(window) {}

    int GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
    bool GetButton(int index, TBBUTTON* button) const
    {
        return SendMessage(TB_GETBUTTON, index, reinterpret_cast<LPARAM>(button)) != FALSE;
    }
    bool GetItemRect(int index, RECT* rect) const
    {
        return SendMessage(TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)) != FALSE;
    }
    int CommandToIndex(UINT id) const { return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, id)); }
    int GetButtonText(UINT id, char* text) const
    {
        return static_cast<int>(SendMessage(TB_GETBUTTONTEXTA, id, reinterpret_cast<LPARAM>(text)));
    }
    int AddString(const char* text) const
    {
        return static_cast<int>(SendMessage(TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(text)));
    }
    bool DeleteButton(int index) const { return SendMessage(TB_DELETEBUTTON, index) != FALSE; }
    bool InsertButton(int index, const TBBUTTON& button) const
    {
        return SendMessage(TB_INSERTBUTTONA, index, reinterpret_cast<LPARAM>(&button)) != FALSE;
    }
    DWORD SetExtendedStyle(DWORD style) const
    {
        return static_cast<DWORD>(SendMessage(TB_SETEXTENDEDSTYLE, 0, style));
    }
    DWORD GetButtonSize() const { return static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE)); }
};

#endif
