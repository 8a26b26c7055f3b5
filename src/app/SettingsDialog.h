#ifndef LARKSPUR_APP_SETTINGSDIALOG_H
#define LARKSPUR_APP_SETTINGSDIALOG_H

#include "CUpDownCtrl.h"
#include "CWindowImpl.h"
#include "Settings.h"

// The settings dialog: user name, password and reload interval, read from
// the settings file when it opens and written only when the user saves.
// DoModal gives 1 when saved and 0 when cancelled (the button, Esc or the
// close box). Prepared anew for each showing.
class SettingsDialog : public CDialogImpl<SettingsDialog> {
public:
    explicit SettingsDialog(const char* iniPath);

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSave(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnCancel(UINT, WPARAM, LPARAM, bool&);

    char iniPath[iniPathSize];
    CUpDownCtrl intervalSpin;
    CWindow userEdit;
    CWindow passwordEdit;
    CWindow intervalEdit;
};

#endif
