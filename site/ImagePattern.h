#ifndef LARKSPUR_SITE_IMAGEPATTERN_H
#define LARKSPUR_SITE_IMAGEPATTERN_H

#include <cstdint>
#include <string>
#include <vector>

namespace site {

enum class ImageFormat { Png, OpaquePng, Gif, Jpeg, Bmp };

struct ImageSpec {
    int width = 0;
    int height = 0;
    ImageFormat format = ImageFormat::Png;
};

enum class ImageNameKind {
    Picture,      // WxH.png and friends, within the size limits
    Unsupported,  // of that form, but a size or variant that is not served
    NotPicture    // any other name: served as bytes that are no picture
};

constexpr int maxImageSide = 512;

// Reads a picture's file name: "48x48.png", "48x48-opaque.png", "48x48.gif",
// "73x73.jpg", "64x64.bmp".
ImageNameKind ParseImageName(const std::string& name, ImageSpec& shape);

struct Rgba {
    std::uint8_t r, g, b, a;
};

// The picture's pixels, row by row from the top: a colourful pattern that
// changes with position (so a faulty scaler shows) and, for pictures with
// alpha, transparent corners, a half-transparent ring and an opaque middle.
// `name` shifts the colours so that different pictures look different.
Rgba PatternPixel(const std::string& name, const ImageSpec& shape, int x, int y);
std::vector<Rgba> PatternPixels(const std::string& name, const ImageSpec& shape);

}  // namespace site

#endif
