#ifndef LARKSPUR_APP_SETTINGSDIALOG_H
#define LARKSPUR_APP_SETTINGSDIALOG_H

#include "CUpDownCtrl.h"
#include "CWindowImpl.h"
#include "Settings.h"

#include <string>

// The settings dialog: user name, password, reload interval and the mute
// list (one word or @name a line), read from
// the settings file when it opens (or given, when the values in use could
// not be saved) and written only when the user saves. DoModal gives 1 when
// saved and 0 when cancelled (the button, Esc or the close box). Prepared
// anew for each showing.
//
// A save that cannot write the file still ends with 1: a box owned by the
// dialog names the file and says the values last until the program ends;
// Values() holds them and Stored() is false.
//
// The file keeps at most 255 bytes of each field. The fields take at most
// 255 characters (the edit control counts them in bytes on some systems, in
// UTF-16 units on others, Wine among them), so double-byte text can still
// grow past 255 bytes: such a save is refused with a box that names the
// field, and the field keeps its whole text with what does not fit selected.
// Nothing is ever cut without the user seeing it.
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
    void RefuseLongText(const CWindow& field, const char* name, const std::string& text);

    char iniPath[iniPathSize];
    SettingValues values;
    bool valuesGiven;
    bool stored = false;
    CUpDownCtrl intervalSpin;
    CWindow userEdit;
    CWindow passwordEdit;
    CWindow intervalEdit;
    CWindow muteEdit;
};

#endif
