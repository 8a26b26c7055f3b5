#include "SettingsDialog.h"

#include "CodePage.h"
#include "ViewFormat.h"
#include "ResourceIds.h"

#include <string>

namespace {

// A field's text whole, however long it is.
std::string WholeText(const CWindow& field)
{
    // The length the system gives may be more than the text: room for it,
    // then the count actually copied.
    std::string text(static_cast<size_t>(field.GetWindowTextLength()) + 1, '\0');
    text.resize(static_cast<size_t>(field.GetWindowText(&text[0], static_cast<int>(text.size()))));
    return text;
}

// Selects a field's text from byte offset `from` to its end. An edit control
// counts its positions in bytes on some systems and in characters on others
// (Wine); where the whole text ends tells which.
void SelectToEnd(const CWindow& field, const std::string& text, int from)
{
    field.SendMessage(EM_SETSEL, 0, -1);
    DWORD end = 0;
    field.SendMessage(EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
    int start = from;
    if (end != text.size()) {
        start = 0;
        for (int i = 0; i < from; i += CharacterSize(text.data(), static_cast<int>(text.size()), i))
            ++start;
    }
    field.SendMessage(EM_SETSEL, static_cast<WPARAM>(start), -1);
}

} // namespace

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
    muteEdit = GetDlgItem(muteEditControl);

    if (!valuesGiven)
        ReadSettingValues(iniPath, values);

    intervalSpin.SetRange(10, 180);
    for (const CWindow* field : {&userEdit, &passwordEdit, &intervalEdit})
        field->SendMessage(EM_LIMITTEXT, settingSize - 1);
    userEdit.SetWindowText(values.user);
    passwordEdit.SetWindowText(values.password);
    intervalEdit.SetWindowText(IsReloadIntervalInRange(values.interval) ? values.interval : defaultReloadInterval);
    muteEdit.SetWindowText(values.mutes.GetText().c_str());
    // The system sets the default focus.
    return TRUE;
}

LRESULT SettingsDialog::OnSave(UINT, WPARAM, LPARAM, bool&)
{
    const struct {
        const CWindow& field;
        const char* name;
        char* value;
    } fields[] = {
        {userEdit, "ユーザ名", values.user},
        {passwordEdit, "パスワード", values.password},
        {intervalEdit, "自動更新間隔", values.interval},
    };
    std::string texts[3];
    for (int i = 0; i < 3; ++i) {
        texts[i] = WholeText(fields[i].field);
        if (texts[i].size() > static_cast<size_t>(settingSize - 1)) {
            RefuseLongText(fields[i].field, fields[i].name, texts[i]);
            return 0;
        }
    }
    for (int i = 0; i < 3; ++i)
        ::lstrcpynA(fields[i].value, texts[i].c_str(), settingSize);
    values.mutes = MuteList(WholeText(muteEdit).c_str());
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

// The save waits: the box says why, then the field has the focus with what
// does not fit (from the end of the last whole character within the limit)
// selected, so the user sees where the text must end.
void SettingsDialog::RefuseLongText(const CWindow& field, const char* name, const std::string& text)
{
    const int limit = settingSize - 1;
    const std::string message = std::string(name) + "が長すぎるため保存できません。\r\n\r\n保存できるのは "
                                + std::to_string(limit) + " バイト (全角文字は 1 文字 2 バイト) までで、入力は "
                                + std::to_string(text.size()) + " バイトあります。\r\n収まらない部分を選択します。";
    ::MessageBoxA(handle, message.c_str(), "設定の入力エラー", MB_OK | MB_ICONWARNING);
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field.handle), TRUE);
    SelectToEnd(field, text, FittingLength(text.data(), static_cast<int>(text.size()), limit));
}

LRESULT SettingsDialog::OnCancel(UINT, WPARAM, LPARAM, bool&)
{
    EndDialog(0);
    return 0;
}
