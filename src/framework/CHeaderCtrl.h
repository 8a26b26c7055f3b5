#ifndef LARKSPUR_FRAMEWORK_CHEADERCTRL_H
#define LARKSPUR_FRAMEWORK_CHEADERCTRL_H

#include "CWindow.h"

#include <commctrl.h>

// A header control: each call is one header message.
class CHeaderCtrl : public CWindow {
public:
    CHeaderCtrl(HWND window = nullptr) : CWindow(window) {}

    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    bool GetItemRect(int index, RECT* rect) const
    {
        return SendMessage(HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)) != FALSE;
    }
};

#endif
