#include "ImagePattern.h"

#include <cstdlib>

namespace site {

namespace {

bool ReadNumber(const std::string& text, std::size_t& at, int& value)
{
    std::size_t start = at;
    long long number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 6) {
        number = number * 10 + (text[at] - '0');
        ++at;
    }
    if (at == start || (at < text.size() && text[at] >= '0' && text[at] <= '9')) return false;
    value = static_cast<int>(number);
    return true;
}

unsigned NameHash(const std::string& name)
{
    unsigned hash = 2166136261u;
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    return hash;
}

}  // namespace

ImageNameKind ParseImageName(const std::string& name, ImageSpec& shape)
{
    std::size_t at = 0;
    int width = 0, height = 0;
    if (!ReadNumber(name, at, width) || at >= name.size() || name[at] != 'x') return ImageNameKind::NotPicture;
    ++at;
    if (!ReadNumber(name, at, height)) return ImageNameKind::NotPicture;
    std::string rest = name.substr(at);
    ImageFormat format;
    if (rest == ".png") format = ImageFormat::Png;
    else if (rest == "-opaque.png") format = ImageFormat::OpaquePng;
    else if (rest == ".gif") format = ImageFormat::Gif;
    else if (rest == ".jpg") format = ImageFormat::Jpeg;
    else if (rest == ".bmp") format = ImageFormat::Bmp;
    else if (rest == "-opaque.gif" || rest == "-opaque.jpg" || rest == "-opaque.bmp") return ImageNameKind::Unsupported;
    else return ImageNameKind::NotPicture;
    if (width < 1 || height < 1 || width > maxImageSide || height > maxImageSide) return ImageNameKind::Unsupported;
    shape.width = width;
    shape.height = height;
    shape.format = format;
    return ImageNameKind::Picture;
}

Rgba PatternPixel(const std::string& name, const ImageSpec& shape, int x, int y)
{
    const int w = shape.width, h = shape.height;
    const unsigned hash = NameHash(name);
    // Horizontal and vertical ramps plus diagonal stripes: every direction of
    // scaling leaves its trace.
    int ramp1 = w > 1 ? x * 255 / (w - 1) : 128;
    int ramp2 = h > 1 ? y * 255 / (h - 1) : 128;
    int stripeWidth = w / 6 > 0 ? w / 6 : 1;
    int stripe = ((x + y) / stripeWidth) % 2 ? 230 : 30;
    int channels[3] = {ramp1, ramp2, stripe};
    int rotate = static_cast<int>(hash % 3);
    Rgba pixel;
    pixel.r = static_cast<std::uint8_t>(channels[rotate % 3]);
    pixel.g = static_cast<std::uint8_t>(channels[(rotate + 1) % 3]);
    pixel.b = static_cast<std::uint8_t>(channels[(rotate + 2) % 3]);
    pixel.a = 255;
    if (shape.format == ImageFormat::Png) {
        // Squared distance from the middle, relative to the inscribed ellipse.
        long long dx = 2LL * x + 1 - w, dy = 2LL * y + 1 - h;
        long long ww = 1LL * w * w, hh = 1LL * h * h;
        long long d = dx * dx * hh + dy * dy * ww;  // compared against ww * hh
        if (d > ww * hh) pixel.a = 0;
        else if (d * 100 > ww * hh * 56) pixel.a = 128;
    }
    return pixel;
}

std::vector<Rgba> PatternPixels(const std::string& name, const ImageSpec& shape)
{
    std::vector<Rgba> pixels;
    pixels.reserve(static_cast<std::size_t>(shape.width) * shape.height);
    for (int y = 0; y < shape.height; ++y) {
        for (int x = 0; x < shape.width; ++x) pixels.push_back(PatternPixel(name, shape, x, y));
    }
    return pixels;
}

}  // namespace site
