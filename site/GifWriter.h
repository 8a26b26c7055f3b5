#ifndef LARKSPUR_SITE_GIFWRITER_H
#define LARKSPUR_SITE_GIFWRITER_H

#include <string>
#include <vector>

#include "ImagePattern.h"

namespace site {

// The colour of palette entry `index` of the GIFs written here: a fixed
// 3-3-2 bit palette of 256 colours.
Rgba GifPaletteColour(int index);
int GifPaletteIndex(Rgba colour);

// A GIF89a file of one frame with the fixed palette. The image data is LZW
// without compression: every pixel is its own code, and a clear code comes
// often enough that the code width never grows past 9 bits.
std::string WriteGif(int width, int height, const std::vector<Rgba>& pixels);

}  // namespace site

#endif
