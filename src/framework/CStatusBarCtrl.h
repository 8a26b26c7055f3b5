#ifndef LARKSPUR_FRAMEWORK_CSTATUSBARCTRL_H
#define LARKSPUR_FRAMEWORK_CSTATUSBARCTRL_H

#include "CWindow.h"

#include <commctrl.h>

// A status bar control: each call is one status bar message.
class CStatusBarCtrl : public CWindow {
public:
    CStatusBarCtrl(HWND window = nullptr) : CWindow(window) {}

    bool SetParts(int count, const int* rightEdges) const
    {
        return SendMessage(SB_SETPARTS, count, reinterpret_cast<LPARAM>(rightEdges)) != FALSE;
    }
    bool SetText(int part, const char* text) const
    {
        return SendMessage(SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text)) != FALSE;
    }
    int GetText(int part, char* text) const
    {
        return LOWORD(SendMessage(SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text)));
    }
    int GetTextLength(int part) const { return LOWORD(SendMessage(SB_GETTEXTLENGTHA, part)); }
    bool GetBorders(int* borders) const
    {
        return SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders)) != FALSE;
    }
};

#endif
