#ifndef LARKSPUR_TESTS_ICONS_ICONPIXELS_H
#define LARKSPUR_TESTS_ICONS_ICONPIXELS_H

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TempFolder.h"

// Pixels as 0xAARRGGBB words, top row first (the way a person reads a
// picture), so that the tests' own arithmetic never shares the scaler's
// bottom-up indexing.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// All pixels of a bitmap read back with GetDIBits as 32 bits per pixel.
Picture ReadPicture(HBITMAP bitmap);

// The rectangle of one image of an image list.
Picture ReadImageListImage(HIMAGELIST list, int index);

// A DIB section of the given depth (24 or 32) filled from picture.
HBITMAP MakeBitmap(const Picture& picture, int bitsPerPixel);

// The 8.8 fixed-point bilinear filter worked out on a top-down picture.
Picture ReferenceScale(const Picture& source, bool filterAlpha, int width, int height);

// A picture whose channels all vary, so a mixed-up channel or row shows.
Picture Pattern(int width, int height, bool varyAlpha);

#endif
