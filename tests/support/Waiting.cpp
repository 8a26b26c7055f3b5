#include "Waiting.h"

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

BoxWatcher::BoxWatcher(const char* caption, int button) : caption(caption), button(button)
{
    InitializeCriticalSection(&textLock);
    watcher = std::thread(&BoxWatcher::Watch, this);
}

BoxWatcher::~BoxWatcher()
{
    stop = true;
    watcher.join();
    DeleteCriticalSection(&textLock);
}

std::string BoxWatcher::LastText() const
{
    EnterCriticalSection(&textLock);
    std::string text = lastText;
    LeaveCriticalSection(&textLock);
    return text;
}

void BoxWatcher::Watch()
{
    while (!stop) {
        HWND box = FindWindowA("#32770", caption.c_str());
        // A box can be found before it shows: press only once it is visible.
        if (box != nullptr && IsWindowVisible(box)) {
            char text[1024] = "";
            // A message box keeps its text in the static control with id 0xFFFF.
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            EnterCriticalSection(&textLock);
            lastText = text;
            LeaveCriticalSection(&textLock);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            ++answered;
            // Wait for it to go before looking for the next one.
            const ULONGLONG deadline = GetTickCount64() + 5000;
            while (IsWindow(box) && GetTickCount64() < deadline)
                Sleep(10);
        }
        Sleep(20);
    }
}
