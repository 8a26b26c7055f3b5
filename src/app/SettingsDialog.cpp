#include "SettingsDialog.h"

#include "ResourceIds.h"

SettingsDialog::SettingsDialog(const char* path) : CDialogImpl<SettingsDialog>(settingsDialogResource)
{
    ::lstrcpynA(iniPath, path != nullptr ? path : "", sizeof iniPath);
}

bool SettingsDialog::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    static const MessageMapEntry<SettingsDialog> messageMap[] = {
        OnMessage<SettingsDialog>(WM_INITDIALOG, &SettingsDialog::OnInitDialog),
        OnCommand<SettingsDialog>(IDOK, &SettingsDialog::OnSave),
        OnCommand<SettingsDialog>(IDCANCEL, &SettingsDialog::OnCancel),
    };
    return DispatchMessageMap(*this, messageMap, message, wParam, lParam, result);
}

LRESULT SettingsDialog::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    CenterWindow(GetParent());
    intervalSpin = GetDlgItem(intervalSpinControl);
    userEdit = GetDlgItem(userEditControl);
    passwordEdit = GetDlgItem(passwordEditControl);
    intervalEdit = GetDlgItem(intervalEditControl);

    char user[256] = "";
    char password[256] = "";
    char interval[256] = "";
    ReadSetting(iniPath, accountSection, userKey, "", user, sizeof user);
    ReadSetting(iniPath, accountSection, passwordKey, "", password, sizeof password);
    ReadSetting(iniPath, reloadSection, reloadIntervalKey, defaultReloadInterval, interval, sizeof interval);

    intervalSpin.SetRange(10, 180);
    userEdit.SetWindowText(user);
    passwordEdit.SetWindowText(password);
    intervalEdit.SetWindowText(IsReloadIntervalInRange(interval) ? interval : defaultReloadInterval);
    // The system sets the default focus.
    return TRUE;
}

LRESULT SettingsDialog::OnSave(UINT, WPARAM, LPARAM, bool&)
{
    char user[256] = "";
    char password[256] = "";
    char interval[256] = "";
    userEdit.GetWindowText(user, sizeof user);
    passwordEdit.GetWindowText(password, sizeof password);
    intervalEdit.GetWindowText(interval, sizeof interval);
    WriteSetting(iniPath, reloadSection, reloadIntervalKey, interval);
    WriteSetting(iniPath, accountSection, userKey, user);
    WriteSetting(iniPath, accountSection, passwordKey, password);
    EndDialog(IDOK);
    return 0;
}

LRESULT SettingsDialog::OnCancel(UINT, WPARAM, LPARAM, bool&)
{
    EndDialog(0);
    return 0;
}
