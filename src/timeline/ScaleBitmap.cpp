#include "ScaleBitmap.h"

#include <cstdint>

namespace {

// One channel of the filter: the row pair along x first, then along y. Each
// step drops its remainder, which the picture's exact values depend on.
uint32_t FilterChannel(uint32_t p, uint32_t q, uint32_t r, uint32_t s, uint32_t wx, uint32_t wy)
{
    uint32_t first = (p * (256 - wx) + q * wx) / 256;
    uint32_t second = (r * (256 - wx) + s * wx) / 256;
    return (first * (256 - wy) + second * wy) / 256;
}

uint32_t Channel(uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFF;
}

} // namespace

HBITMAP ScaleBitmap(HBITMAP bitmap, int width, int height)
{
    BITMAP source;
    if (!bitmap || width <= 0 || height <= 0 || !GetObjectA(bitmap, sizeof source, &source))
        return nullptr;
    const int sourceWidth = source.bmWidth;
    const int sourceHeight = source.bmHeight;
    // Keeps W * 4 * H and W * 256 within range.
    if (sourceWidth <= 0 || sourceHeight <= 0 || sourceWidth > 0x4000 || sourceHeight > 0x4000)
        return nullptr;
    const bool hasAlpha = source.bmBitsPixel == 32;

    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return nullptr;

    size_t sourceBytes = static_cast<size_t>(sourceWidth) * 4 * sourceHeight;
    uint32_t* sourcePixels = static_cast<uint32_t*>(HeapAlloc(GetProcessHeap(), 0, sourceBytes));
    if (!sourcePixels) {
        DeleteDC(dc);
        return nullptr;
    }

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = sourceWidth;
    info.bmiHeader.biHeight = sourceHeight; // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HBITMAP target = nullptr;
    if (GetDIBits(dc, bitmap, 0, sourceHeight, sourcePixels, &info, DIB_RGB_COLORS) != 0) {
        // GetDIBits may have filled in the image size; the target's differs.
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biSizeImage = 0;
        void* bits = nullptr;
        target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (target && bits) {
            uint32_t* targetPixels = static_cast<uint32_t*>(bits);
            const uint32_t stepX = static_cast<uint32_t>(sourceWidth) * 256 / width;
            const uint32_t stepY = static_cast<uint32_t>(sourceHeight) * 256 / height;
            for (int y = 0; y < height; ++y) {
                uint32_t fy = stepY * y;
                uint32_t y0 = fy / 256;
                uint32_t y1 = y0 + 1 < static_cast<uint32_t>(sourceHeight) ? y0 + 1 : sourceHeight - 1;
                uint32_t wy = fy % 256;
                const uint32_t* row0 = sourcePixels + static_cast<size_t>(y0) * sourceWidth;
                const uint32_t* row1 = sourcePixels + static_cast<size_t>(y1) * sourceWidth;
                uint32_t* out = targetPixels + static_cast<size_t>(y) * width;
                for (int x = 0; x < width; ++x) {
                    uint32_t fx = stepX * x;
                    uint32_t x0 = fx / 256;
                    uint32_t x1 = x0 + 1 < static_cast<uint32_t>(sourceWidth) ? x0 + 1 : sourceWidth - 1;
                    uint32_t wx = fx % 256;
                    uint32_t p = row0[x0], q = row0[x1], r = row1[x0], s = row1[x1];
                    uint32_t blue = FilterChannel(Channel(p, 0), Channel(q, 0), Channel(r, 0), Channel(s, 0), wx, wy);
                    uint32_t green = FilterChannel(Channel(p, 8), Channel(q, 8), Channel(r, 8), Channel(s, 8), wx, wy);
                    uint32_t red = FilterChannel(Channel(p, 16), Channel(q, 16), Channel(r, 16), Channel(s, 16), wx, wy);
                    uint32_t alpha = hasAlpha ? FilterChannel(Channel(p, 24), Channel(q, 24), Channel(r, 24),
                                                              Channel(s, 24), wx, wy)
                                              : 255;
                    out[x] = blue | green << 8 | red << 16 | alpha << 24;
                }
            }
        } else if (target) {
            DeleteObject(target);
            target = nullptr;
        }
    }

    HeapFree(GetProcessHeap(), 0, sourcePixels);
    DeleteDC(dc);
    return target;
}
