#ifndef LARKSPUR_FRAMEWORK_CMESSAGEMAP_H
#define LARKSPUR_FRAMEWORK_CMESSAGEMAP_H

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

// Notifications that a parent sends back to the control they concern arrive
// at the control as their own number plus reflectedBase.
const UINT reflectedBase = WM_USER + 0x1C00;

// Something that handles a window's messages: true when the message was
// claimed, with its result in `result`.
class CMessageMap {
public:
    virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) = 0;

protected:
    ~CMessageMap() = default;
};

// One line of an ordered message map: what it matches and the member that
// handles it. A handler is called with `handled` set; clearing it lets the
// search go on to the following lines and, failing them, to the default
// processing.
template <class T>
struct MessageMapEntry {
    typedef LRESULT (T::*Handler)(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    enum Match {
        Message,      // message
        Command,      // WM_COMMAND from id `first`..`last`, any notification code
        CommandCode,  // WM_COMMAND with notification `code` from id `first`
        NotifyCode,   // WM_NOTIFY with `code` from any control
        ReflectedNotifyCode // a reflected WM_NOTIFY with `code`
    };

    Match match;
    UINT message;
    UINT first;
    UINT last;
    UINT code;
    Handler handler;

    bool Matches(UINT message, WPARAM wParam, LPARAM lParam) const
    {
        switch (match) {
        case Message:
            return message == this->message;
        case Command:
            return message == WM_COMMAND && LOWORD(wParam) >= first && LOWORD(wParam) <= last;
        case CommandCode:
            return message == WM_COMMAND && LOWORD(wParam) == first && HIWORD(wParam) == code;
        case NotifyCode:
            return message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == code;
        case ReflectedNotifyCode:
            return message == reflectedBase + WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == code;
        }
        return false;
    }
};

template <class T>
MessageMapEntry<T> OnMessage(UINT message, typename MessageMapEntry<T>::Handler handler)
{
    return {MessageMapEntry<T>::Message, message, 0, 0, 0, handler};
}

template <class T>
MessageMapEntry<T> OnCommand(UINT id, typename MessageMapEntry<T>::Handler handler)
{
    return {MessageMapEntry<T>::Command, WM_COMMAND, id, id, 0, handler};
}

template <class T>
MessageMapEntry<T> OnCommandRange(UINT first, UINT last, typename MessageMapEntry<T>::Handler handler)
{
    return {MessageMapEntry<T>::Command, WM_COMMAND, first, last, 0, handler};
}

template <class T>
MessageMapEntry<T> OnCommandCode(UINT code, UINT id, typename MessageMapEntry<T>::Handler handler)
{
    return {MessageMapEntry<T>::CommandCode, WM_COMMAND, id, id, code, handler};
}

template <class T>
MessageMapEntry<T> OnNotifyCode(UINT code, typename MessageMapEntry<T>::Handler handler)
{
    return {MessageMapEntry<T>::NotifyCode, WM_NOTIFY, 0, 0, code, handler};
}

template <class T>
MessageMapEntry<T> OnReflectedNotifyCode(UINT code, typename MessageMapEntry<T>::Handler handler)
{
    return {MessageMapEntry<T>::ReflectedNotifyCode, reflectedBase + WM_NOTIFY, 0, 0, code, handler};
}

// Tests the entries in order; the first handler that keeps `handled` ends the
// search. True when one did.
template <class T, size_t count>
bool DispatchMessageMap(T& object, const MessageMapEntry<T> (&entries)[count], UINT message, WPARAM wParam,
                        LPARAM lParam, LRESULT& result)
{
    for (const MessageMapEntry<T>& entry : entries) {
        if (!entry.Matches(message, wParam, lParam))
            continue;
        bool handled = true;
        const LRESULT answer = (object.*entry.handler)(message, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    return false;
}

// The messages a control sends its parent about itself: WM_COMMAND and
// WM_NOTIFY, the owner-draw messages, WM_VKEYTOITEM, WM_CHARTOITEM, the scroll
// messages, the WM_CTLCOLOR family and WM_PARENTNOTIFY. Parents reflect them;
// windows in between (a splitter) pass them on.
bool IsNotificationMessage(UINT message);

// Sends a control's notification to a parent back to that control as
// reflectedBase + message: WM_COMMAND from a control, WM_NOTIFY, the
// owner-draw messages, WM_VKEYTOITEM, WM_CHARTOITEM, the scroll messages, the
// WM_CTLCOLOR family and WM_PARENTNOTIFY. True when there was a control to
// send it to (a colour message is claimed only when the control gave a brush).
bool ReflectNotifications(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// For a control: a reflected message nobody claimed goes to the default
// window procedure under the number it reflects.
bool DefaultReflectionHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

#endif
