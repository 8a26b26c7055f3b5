#include "FindBox.h"

#include "ResourceIds.h"
#include "SearchText.h"

FindBox::FindBox() : CDialogImpl<FindBox>(findDialogResource) {}

bool FindBox::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    static const MessageMapEntry<FindBox> messageMap[] = {
        OnMessage<FindBox>(WM_INITDIALOG, &FindBox::OnInitDialog),
        OnCommand<FindBox>(findNextButton, &FindBox::OnFind),
        OnCommand<FindBox>(findPreviousButton, &FindBox::OnFind),
        OnCommand<FindBox>(IDCANCEL, &FindBox::OnClose),
    };
    return DispatchMessageMap(*this, messageMap, message, wParam, lParam, result);
}

// First shown beside the owner's right edge, level with the top of the
// list, so that it hides neither the row found nor the detail pane; where the
// screen has no room there, at the owner's lower right. Later where the user
// left it.
LRESULT FindBox::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    ::SendDlgItemMessageA(handle, findTextControl, EM_LIMITTEXT, maxSearchLength, 0);
    RECT owner;
    RECT box;
    ::GetWindowRect(GetParent(), &owner);
    GetWindowRect(&box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(GetParent(), MONITOR_DEFAULTTONEAREST), &monitor);
    int x = owner.right + ScaleToDpi(4, dpi);
    int y = owner.top + ScaleToDpi(120, dpi);
    if (x + width > monitor.rcWork.right) {
        x = owner.right - width - ScaleToDpi(16, dpi);
        y = owner.bottom - height - ScaleToDpi(96, dpi);
    }
    ::SetWindowPos(handle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void FindBox::Open(HWND owner)
{
    const HWND focus = ::GetFocus();
    if (handle == nullptr && Create(owner) == nullptr)
        return;
    if (focus != nullptr && focus != handle && !::IsChild(handle, focus))
        returnFocus = focus;
    ShowWindow(SW_SHOW);
    const HWND edit = GetDlgItem(findTextControl);
    ::SetFocus(edit);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
}

bool FindBox::IsOpen() const
{
    return handle != nullptr && ::IsWindowVisible(handle);
}

void FindBox::GetText(char* text, int size) const
{
    if (size <= 0)
        return;
    text[0] = 0;
    if (handle != nullptr)
        ::GetDlgItemTextA(handle, findTextControl, text, size);
}

void FindBox::SetState(const char* text)
{
    if (handle != nullptr)
        ::SetDlgItemTextA(handle, findStateControl, text);
}

bool FindBox::PreTranslate(MSG* message)
{
    if (handle == nullptr || (message->hwnd != handle && !::IsChild(handle, message->hwnd)))
        return false;
    if (message->message == WM_KEYDOWN
        && (message->wParam == VK_F3 || (message->wParam == 'F' && ::GetKeyState(VK_CONTROL) < 0)))
        return false;
    return ::IsDialogMessageA(handle, message) != FALSE;
}

// Enter clicks the default button, 次を検索; with Shift held it finds
// backward, as 前を検索 does.
LRESULT FindBox::OnFind(UINT, WPARAM wParam, LPARAM, bool&)
{
    const bool backward = LOWORD(wParam) == findPreviousButton || ::GetKeyState(VK_SHIFT) < 0;
    ::SendMessageA(GetParent(), WM_COMMAND, backward ? findPreviousCommand : findNextCommand, 0);
    return 0;
}

// Hidden, not destroyed: the text stays for the next opening and for F3.
LRESULT FindBox::OnClose(UINT, WPARAM, LPARAM, bool&)
{
    ShowWindow(SW_HIDE);
    if (returnFocus != nullptr && ::IsWindow(returnFocus) && ::IsWindowVisible(returnFocus))
        ::SetFocus(returnFocus);
    else
        ::SetFocus(GetParent());
    returnFocus = nullptr;
    return 0;
}
