#ifndef LARKSPUR_APP_WINDOWPLACEMENT_H
#define LARKSPUR_APP_WINDOWPLACEMENT_H

#include <windows.h>

// Where the first window opens. It is centred on the screen,
// ((screen - size) / 2), as long as it lies in the work area of its monitor
// (the screen less the taskbar). A window larger than the work area is cut
// down to it, and one that would reach past the work area's edge (under a
// taskbar, above the screen) is moved in the least that brings it inside, so
// that its caption can always be reached to drag it.
RECT PlaceInWorkArea(SIZE screen, const RECT& workArea, SIZE wanted);

// The first window's rectangle at wanted size: the primary screen and the
// work area of the monitor the centred window lies on, as the system gives
// them now.
RECT FirstWindowRect(SIZE wanted);

#endif
