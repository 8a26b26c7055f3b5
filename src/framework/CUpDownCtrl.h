#ifndef LARKSPUR_FRAMEWORK_CUPDOWNCTRL_H
#define LARKSPUR_FRAMEWORK_CUPDOWNCTRL_H

#include "CWindow.h"

#include <commctrl.h>

// An up-down control: each call is one up-down message.
class CUpDownCtrl : public CWindow {
public:
    CUpDownCtrl(HWND window = nullptr) : CWindow(window) {}

    void SetRange(int lower, int upper) const { SendMessage(UDM_SETRANGE32, lower, upper); }
};

#endif
