#include "ScreenInput.h"

#include "ProgramProcess.h"
#include "TempFolder.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void Send(std::vector<INPUT>& inputs)
{
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT Mouse(DWORD flags, POINT point)
{
    // Absolute positions are 0..65535 across the primary screen.
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (point.x * 65535 + width / 2) / (width - 1);
    input.mi.dy = (point.y * 65535 + height / 2) / (height - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return input;
}

BOOL CALLBACK CheckPainted(HWND child, LPARAM result)
{
    if (!::GetUpdateRect(child, nullptr, FALSE))
        return TRUE;
    *reinterpret_cast<bool*>(result) = false;
    return FALSE;
}

} // namespace

bool BringToFront(HWND window)
{
    return PollUntil(
        [window] {
            if (::GetForegroundWindow() == window)
                return true;
            ::SetForegroundWindow(window);
            return false;
        },
        5000);
}

void ClickAt(POINT point, bool rightButton)
{
    std::vector<INPUT> inputs = {
        Mouse(MOUSEEVENTF_MOVE, point),
        Mouse(rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, point),
        Mouse(rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, point),
    };
    Send(inputs);
}

void PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        inputs.push_back(Key(key, false));
    for (auto key = keys.end(); key != keys.begin();)
        inputs.push_back(Key(*--key, true));
    Send(inputs);
}

void TypeText(const std::wstring& text)
{
    std::vector<INPUT> inputs;
    for (wchar_t character : text) {
        for (bool up : {false, true}) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = static_cast<WORD>(character);
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    Send(inputs);
}

bool PutOnClipboard(const std::wstring& text)
{
    const size_t size = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr)
        return false;
    std::memcpy(::GlobalLock(memory), text.c_str(), size);
    ::GlobalUnlock(memory);
    if (!::OpenClipboard(nullptr)) {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    // The clipboard owns the memory once it has taken it.
    const bool taken = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    if (!taken)
        ::GlobalFree(memory);
    return taken;
}

RECT ScreenRectOf(HWND window)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

POINT Centre(const RECT& rect)
{
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool IsPainted(HWND window)
{
    if (::GetUpdateRect(window, nullptr, FALSE))
        return false;
    bool painted = true;
    ::EnumChildWindows(window, CheckPainted, reinterpret_cast<LPARAM>(&painted));
    return painted;
}

bool SaveScreenshot(const std::string& name, std::initializer_list<HWND> windows)
{
    char folder[MAX_PATH] = "";
    if (::GetEnvironmentVariableA("LARKSPUR_SCREENSHOTS", folder, sizeof folder) == 0 || folder[0] == 0)
        return false;
    RECT area = {};
    for (HWND window : windows) {
        PollUntil([window] { return IsPainted(window); }, 5000);
        const RECT rect = ScreenRectOf(window);
        ::UnionRect(&area, &area, &rect);
    }
    const std::string path = WindowsPath(folder) + "\\" + name + ".bmp";
    ::CreateDirectoryA(WindowsPath(folder).c_str(), nullptr);

    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::SelectObject(memory, old);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    const bool read = ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS)
                      == height;
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (!read)
        return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}
