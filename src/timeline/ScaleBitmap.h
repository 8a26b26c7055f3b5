#ifndef LARKSPUR_TIMELINE_SCALEBITMAP_H
#define LARKSPUR_TIMELINE_SCALEBITMAP_H

#include <windows.h>

// Resamples bitmap to width x height with a bilinear filter in 8.8 fixed
// point and returns a new 32-bit bottom-up DIB section, or null. Alpha is
// filtered like the colours when the source has 32 bits per pixel and is 255
// otherwise. The source must not be selected into a device context.
HBITMAP ScaleBitmap(HBITMAP bitmap, int width, int height);

#endif
