#ifndef LARKSPUR_TESTS_SCREENINPUT_H
#define LARKSPUR_TESTS_SCREENINPUT_H

#include <windows.h>

#include <initializer_list>
#include <string>

// Input as a person gives it, through the system's input queue, to whatever
// window is in front (the program's, in another process), and pictures of
// the screen.

// Makes window the foreground window; true once it is.
bool BringToFront(HWND window);

// Moves the pointer to a screen point and clicks there.
void ClickAt(POINT point, bool rightButton = false);

// Presses the keys in order and releases them in reverse: {VK_CONTROL, 'S'}.
void PressKeys(std::initializer_list<WORD> keys);

// Types text as characters (the keyboard's Unicode packets).
void TypeText(const std::wstring& text);

// Puts text on the clipboard, as Unicode text.
bool PutOnClipboard(const std::wstring& text);

// A window's rectangle on screen and a rectangle's middle.
RECT ScreenRectOf(HWND window);
POINT Centre(const RECT& rect);

// True once the window and every window inside it have nothing left to
// paint.
bool IsPainted(HWND window);

// Once the windows are painted (or after a few seconds), saves the screen
// area they cover as NAME.bmp into the folder named by LARKSPUR_SCREENSHOTS;
// nothing when the variable is unset. True when saved.
bool SaveScreenshot(const std::string& name, std::initializer_list<HWND> windows);

#endif
