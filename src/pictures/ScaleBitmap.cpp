#include "ScaleBitmap.h"

#include <new>

namespace {

// One channel of the filter: the row pair along x first, then along y. Each
// step drops its remainder, which the picture's exact values depend on.
std::uint32_t FilterChannel(std::uint32_t p, std::uint32_t q, std::uint32_t r, std::uint32_t s, std::uint32_t wx,
                            std::uint32_t wy)
{
    const std::uint32_t first = (p * (256 - wx) + q * wx) / 256;
    const std::uint32_t second = (r * (256 - wx) + s * wx) / 256;
    return (first * (256 - wy) + second * wy) / 256;
}

std::uint32_t Channel(std::uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFF;
}

// Keeps W * 4 * H and W * 256 within range.
const int largestSide = 0x4000;

BITMAPINFO HeaderFor(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace

bool ReadBitmapPixels(HBITMAP bitmap, PicturePixels& picture)
{
    BITMAP source;
    if (!bitmap || !GetObjectA(bitmap, sizeof source, &source))
        return false;
    if (source.bmWidth <= 0 || source.bmHeight <= 0 || source.bmWidth > largestSide || source.bmHeight > largestSide)
        return false;
    try {
        picture.pixels.assign(static_cast<size_t>(source.bmWidth) * source.bmHeight, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    picture.width = source.bmWidth;
    picture.height = source.bmHeight;
    picture.hasAlpha = source.bmBitsPixel == 32;
    const HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    BITMAPINFO info = HeaderFor(picture.width, picture.height);
    const bool read = GetDIBits(dc, bitmap, 0, picture.height, picture.pixels.data(), &info, DIB_RGB_COLORS) != 0;
    DeleteDC(dc);
    return read;
}

void ScalePixels(const PicturePixels& picture, int width, int height, std::uint32_t* out)
{
    const int sourceWidth = picture.width;
    const int sourceHeight = picture.height;
    const std::uint32_t* const source = picture.pixels.data();
    const std::uint32_t stepX = static_cast<std::uint32_t>(sourceWidth) * 256 / width;
    const std::uint32_t stepY = static_cast<std::uint32_t>(sourceHeight) * 256 / height;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t fy = stepY * y;
        const std::uint32_t y0 = fy / 256;
        const std::uint32_t y1 = y0 + 1 < static_cast<std::uint32_t>(sourceHeight) ? y0 + 1 : sourceHeight - 1;
        const std::uint32_t wy = fy % 256;
        const std::uint32_t* row0 = source + static_cast<size_t>(y0) * sourceWidth;
        const std::uint32_t* row1 = source + static_cast<size_t>(y1) * sourceWidth;
        std::uint32_t* row = out + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t fx = stepX * x;
            const std::uint32_t x0 = fx / 256;
            const std::uint32_t x1 = x0 + 1 < static_cast<std::uint32_t>(sourceWidth) ? x0 + 1 : sourceWidth - 1;
            const std::uint32_t wx = fx % 256;
            const std::uint32_t p = row0[x0], q = row0[x1], r = row1[x0], s = row1[x1];
            const std::uint32_t blue = FilterChannel(Channel(p, 0), Channel(q, 0), Channel(r, 0), Channel(s, 0), wx, wy);
            const std::uint32_t green =
                FilterChannel(Channel(p, 8), Channel(q, 8), Channel(r, 8), Channel(s, 8), wx, wy);
            const std::uint32_t red =
                FilterChannel(Channel(p, 16), Channel(q, 16), Channel(r, 16), Channel(s, 16), wx, wy);
            const std::uint32_t alpha =
                picture.hasAlpha ? FilterChannel(Channel(p, 24), Channel(q, 24), Channel(r, 24), Channel(s, 24), wx, wy)
                                 : 255;
            row[x] = blue | green << 8 | red << 16 | alpha << 24;
        }
    }
}

HBITMAP ScaledBitmap(const PicturePixels& picture, int width, int height)
{
    if (width <= 0 || height <= 0 || width > largestSide || height > largestSide || picture.width <= 0
        || picture.height <= 0 || picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height)
        return nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return nullptr;
    BITMAPINFO info = HeaderFor(width, height);
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (target && bits) {
        ScalePixels(picture, width, height, static_cast<std::uint32_t*>(bits));
    } else if (target) {
        DeleteObject(target);
        target = nullptr;
    }
    DeleteDC(dc);
    return target;
}

HBITMAP ScaleBitmap(HBITMAP bitmap, int width, int height)
{
    PicturePixels picture;
    if (width <= 0 || height <= 0 || !ReadBitmapPixels(bitmap, picture))
        return nullptr;
    return ScaledBitmap(picture, width, height);
}
