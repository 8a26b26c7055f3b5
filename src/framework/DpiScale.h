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

// A system metric (SM_*) at dpi: the system's own answer where it gives one
// for a DPI, else the metric of the system DPI scaled.
int SystemMetricForDpi(int index, UINT dpi);

// A copy of font (made for fromDpi) scaled to toDpi; null when the DPIs are
// the same or the font cannot be read. The caller deletes it.
HFONT CreateFontForDpi(HFONT font, UINT fromDpi, UINT toDpi);

// The font a control shows its text in, kept at the DPI of its window. The
// control's own font serves at the DPI it was made for; at any other DPI the
// control is given a scaled copy, owned here: deleted once the control has
// taken the next one, and when this goes (after the control).
class CDpiFont {
public:
    CDpiFont() = default;
    ~CDpiFont();
    CDpiFont(const CDpiFont&) = delete;
    CDpiFont& operator=(const CDpiFont&) = delete;

    // Takes control's present font as its own, made for ownDpi. A copy made
    // for a control before is deleted: that control must be gone.
    void Attach(HWND control, UINT ownDpi);
    // Gives the control its font at dpi; nothing to do while it shows its
    // own at its own DPI.
    void SetDpi(UINT dpi);

private:
    HWND control = nullptr;
    HFONT own = nullptr;
    UINT ownDpi = defaultDpi;
    HFONT made = nullptr;
};

#endif
