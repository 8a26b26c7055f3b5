#include "CMessageLoop.h"

#include <algorithm>
#include <new>

namespace {

template <class T>
bool AddTo(std::vector<T*>& list, T* item)
{
    if (item == nullptr)
        return false;
    try {
        list.push_back(item);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

template <class T>
bool RemoveFrom(std::vector<T*>& list, T* item)
{
    const auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

const UINT caretBlinkTimer = 0x0118;

} // namespace

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter)
{
    return AddTo(filters, filter);
}

bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter)
{
    return RemoveFrom(filters, filter);
}

bool CMessageLoop::AddIdleHandler(CIdleHandler* handler)
{
    return AddTo(idleHandlers, handler);
}

bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler)
{
    return RemoveFrom(idleHandlers, handler);
}

bool CMessageLoop::IsIdleMessage(const MSG& message)
{
    switch (message.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case caretBlinkTimer:
        return false;
    default:
        return true;
    }
}

int CMessageLoop::Run()
{
    bool doIdle = true;
    int idleCount = 0;
    for (;;) {
        while (doIdle && !::PeekMessageA(&currentMessage, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                doIdle = false;
        }
        const BOOL got = ::GetMessageA(&currentMessage, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (!got)
            break;
        if (!PreTranslateMessage(&currentMessage)) {
            ::TranslateMessage(&currentMessage);
            ::DispatchMessageA(&currentMessage);
        }
        if (IsIdleMessage(currentMessage)) {
            doIdle = true;
            idleCount = 0;
        }
    }
    return static_cast<int>(currentMessage.wParam);
}

BOOL CMessageLoop::PreTranslateMessage(MSG* message)
{
    // By index from the end: a filter may remove itself while it runs.
    for (size_t i = filters.size(); i > 0; --i) {
        if (i > filters.size())
            continue;
        if (filters[i - 1]->PreTranslateMessage(message))
            return TRUE;
    }
    return FALSE;
}

BOOL CMessageLoop::OnIdle(int)
{
    for (size_t i = 0; i < idleHandlers.size(); ++i)
        idleHandlers[i]->OnIdle();
    return FALSE;
}
