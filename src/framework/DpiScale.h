#ifndef LARKSPUR_FRAMEWORK_DPISCALE_H
#define LARKSPUR_FRAMEWORK_DPISCALE_H

#include <windows.h>

// Every fixed size of the windows is given in pixels at 96 DPI and drawn at
// the DPI of the window's display. The calls that tell a window's DPI came
// with later systems: they are looked up at run time, and where they are
// missing the system DPI of the screen (LOGPIXELSY) stands in, which is what
// a system-aware program gets there anyway.

const UINT defaultDpi = 96;

// size (pixels at 96 DPI) at dpi, rounded half away from zero as the system
// rounds its own scaled metrics.
inline int ScaleToDpi(int size, UINT dpi)
{
    return ::MulDiv(size, static_cast<int>(dpi), static_cast<int>(defaultDpi));
}

// The DPI the screen's device context reports.
UINT SystemDpi();

// The DPI window is drawn at: its display's under per-monitor awareness,
// the system DPI where the system cannot tell.
UINT WindowDpi(HWND window);

#endif
