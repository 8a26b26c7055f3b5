#ifndef LARKSPUR_FRAMEWORK_CREBARCTRL_H
#define LARKSPUR_FRAMEWORK_CREBARCTRL_H

#include "CWindow.h"

#include <commctrl.h>

// A rebar control: each call is one rebar message.
class CReBarCtrl : public CWindow {
public:
    CReBarCtrl(HWND window = nullptr) : CWindow(window) {}

    int GetBandCount() const { return static_cast<int>(SendMessage(RB_GETBANDCOUNT)); }
    bool GetBandInfo(int band, REBARBANDINFOA* info) const
    {
        return SendMessage(RB_GETBANDINFOA, band, reinterpret_cast<LPARAM>(info)) != FALSE;
    }
    bool SetBandInfo(int band, const REBARBANDINFOA& info) const
    {
        return SendMessage(RB_SETBANDINFOA, band, reinterpret_cast<LPARAM>(&info)) != FALSE;
    }
    bool InsertBand(int band, const REBARBANDINFOA& info) const
    {
        return SendMessage(RB_INSERTBANDA, band, reinterpret_cast<LPARAM>(&info)) != FALSE;
    }
    bool DeleteBand(int band) const { return SendMessage(RB_DELETEBAND, band) != FALSE; }
};

#endif
