#ifndef LARKSPUR_APP_SETTINGSDIALOG_H
#define LARKSPUR_APP_SETTINGSDIALOG_H

#include "CUpDownCtrl.h"
#include "CWindowImpl.h"
#include "Settings.h"

// The settings dialog: user name, password and reload interval, read from
// the settings file when it opens (or given, when the values in use could
// not be saved) and written only when the user saves. DoModal gives 1 when
// saved and 0 when cancelled (the button, Esc or the close box). Prepared
// anew for each showing.
//
// A save that cannot write the file still ends with 1: a box owned by the
// dialog names the file and says the values last until the program ends;
// Values() holds them and Stored() is false.
class SettingsDialog : public CDialogImpl<SettingsDialog> {
public:
    explicit SettingsDialog(const char* iniPath, const SettingValues* shown = nullptr);

    // What the dialog showed, then what the user saved.
    const SettingValues& Values() const { return values; }
    // True when the saved values reached the file.
    bool Stored() const { return stored; }

    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnSave(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnCancel(UINT, WPARAM, LPARAM, bool&);

    char iniPath[iniPathSize];
    SettingValues values;
    bool valuesGiven;
    bool stored = false;
    CUpDownCtrl intervalSpin;
    CWindow userEdit;
    CWindow passwordEdit;
    CWindow intervalEdit;
};

#endif
