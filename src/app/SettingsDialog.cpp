#include "SettingsDialog.h"

#include "ResourceIds.h"

#include <string>

SettingsDialog::SettingsDialog(const char* path, const SettingValues* shown)
    : CDialogImpl<SettingsDialog>(settingsDialogResource), values(), valuesGiven(shown != nullptr)
{
    ::lstrcpynA(iniPath, path != nullptr ? path : "", sizeof iniPath);
    if (shown != nullptr)
        values = *shown;
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

    if (!valuesGiven)
        ReadSettingValues(iniPath, values);

    intervalSpin.SetRange(10, 180);
    userEdit.SetWindowText(values.user);
    passwordEdit.SetWindowText(values.password);
    intervalEdit.SetWindowText(IsReloadIntervalInRange(values.interval) ? values.interval : defaultReloadInterval);
    // The system sets the default focus.
    return TRUE;
}

LRESULT SettingsDialog::OnSave(UINT, WPARAM, LPARAM, bool&)
{
    userEdit.GetWindowText(values.user, sizeof values.user);
    passwordEdit.GetWindowText(values.password, sizeof values.password);
    intervalEdit.GetWindowText(values.interval, sizeof values.interval);
    stored = WriteSettingValues(iniPath, values);
    // Without a settings path there is no file to tell of; the values
    // serve this run all the same.
    if (!stored && iniPath[0] != 0) {
        const std::string message = std::string("設定を次のファイルに保存できませんでした。\r\n\r\n") + iniPath
                                    + "\r\n\r\n入力した設定はプログラムを終了するまで使われます。";
        ::MessageBoxA(handle, message.c_str(), "設定の保存エラー", MB_OK | MB_ICONWARNING);
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT SettingsDialog::OnCancel(UINT, WPARAM, LPARAM, bool&)
{
    EndDialog(0);
    return 0;
}
