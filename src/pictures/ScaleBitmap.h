#ifndef LARKSPUR_PICTURES_SCALEBITMAP_H
#define LARKSPUR_PICTURES_SCALEBITMAP_H

#include <windows.h>

#include <cstdint>
#include <vector>

// A picture as plain 32-bit pixels (0xAARRGGBB in memory order B, G, R, A),
// bottom-up rows as GDI keeps them. Holding one costs memory, no GDI object.
struct PicturePixels {
    int width = 0;
    int height = 0;
    bool hasAlpha = false; // the source had 32 bits per pixel
    std::vector<std::uint32_t> pixels;
};

// Reads bitmap's pixels as 32-bit rows. False when it cannot be read (or is
// larger than 16384 pixels a side). The bitmap must not be selected into a
// device context.
bool ReadBitmapPixels(HBITMAP bitmap, PicturePixels& picture);

// Resamples picture to width x height with a bilinear filter in 8.8 fixed
// point into out (width * height pixels, bottom-up). Alpha is filtered like
// the colours when the source had 32 bits per pixel and is 255 otherwise. A
// target of the source's own size is an exact copy.
void ScalePixels(const PicturePixels& picture, int width, int height, std::uint32_t* out);

// picture resampled to width x height as a new 32-bit bottom-up DIB
// section, or null.
HBITMAP ScaledBitmap(const PicturePixels& picture, int width, int height);

// The same from a bitmap: read, then resampled.
HBITMAP ScaleBitmap(HBITMAP bitmap, int width, int height);

#endif
