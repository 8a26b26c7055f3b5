#include "IconPixels.h"

#include <algorithm>

namespace {

uint32_t Byte(uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFF;
}

} // namespace

Picture ReadPicture(HBITMAP bitmap)
{
    Picture picture;
    BITMAP info;
    if (!GetObjectA(bitmap, sizeof info, &info))
        return picture;
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
    picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, 0);
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = picture.width;
    header.bmiHeader.biHeight = -picture.height; // top-down
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    if (GetDIBits(dc, bitmap, 0, picture.height, picture.pixels.data(), &header, DIB_RGB_COLORS) != picture.height)
        picture = Picture();
    DeleteDC(dc);
    return picture;
}

Picture ReadImageListImage(HIMAGELIST list, int index)
{
    Picture image;
    IMAGEINFO info;
    if (!ImageList_GetImageInfo(list, index, &info))
        return image;
    Picture whole = ReadPicture(info.hbmImage);
    if (whole.pixels.empty())
        return image;
    image.width = info.rcImage.right - info.rcImage.left;
    image.height = info.rcImage.bottom - info.rcImage.top;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.pixels.push_back(whole.At(info.rcImage.left + x, info.rcImage.top + y));
    return image;
}

HBITMAP MakeBitmap(const Picture& picture, int bitsPerPixel)
{
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = picture.width;
    header.bmiHeader.biHeight = -picture.height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    unsigned char* rows = static_cast<unsigned char*>(bits);
    const int stride = ((picture.width * bitsPerPixel + 31) / 32) * 4;
    for (int y = 0; y < picture.height; ++y) {
        unsigned char* out = rows + static_cast<size_t>(y) * stride;
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t pixel = picture.At(x, y);
            const int bytes = bitsPerPixel / 8;
            for (int b = 0; b < bytes; ++b)
                out[x * bytes + b] = static_cast<unsigned char>(Byte(pixel, 8 * b));
        }
    }
    GdiFlush();
    return bitmap;
}

Picture ReferenceScale(const Picture& source, bool filterAlpha, int width, int height)
{
    // Positions count rows from the bottom, as the scaler's do; this picture
    // is stored from the top, hence the flips.
    const int stepX = source.width * 256 / width;
    const int stepY = source.height * 256 / height;
    Picture target;
    target.width = width;
    target.height = height;
    target.pixels.assign(static_cast<size_t>(width) * height, 0);
    for (int fromBottom = 0; fromBottom < height; ++fromBottom) {
        const int y0 = stepY * fromBottom / 256;
        const int y1 = std::min(y0 + 1, source.height - 1);
        const int wy = stepY * fromBottom % 256;
        for (int x = 0; x < width; ++x) {
            const int x0 = stepX * x / 256;
            const int x1 = std::min(x0 + 1, source.width - 1);
            const int wx = stepX * x % 256;
            const uint32_t p = source.At(x0, source.height - 1 - y0);
            const uint32_t q = source.At(x1, source.height - 1 - y0);
            const uint32_t r = source.At(x0, source.height - 1 - y1);
            const uint32_t s = source.At(x1, source.height - 1 - y1);
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t value = 255;
                if (shift < 24 || filterAlpha) {
                    const uint32_t lower = (Byte(p, shift) * (256 - wx) + Byte(q, shift) * wx) / 256;
                    const uint32_t upper = (Byte(r, shift) * (256 - wx) + Byte(s, shift) * wx) / 256;
                    value = (lower * (256 - wy) + upper * wy) / 256;
                }
                result |= value << shift;
            }
            target.pixels[static_cast<size_t>(height - 1 - fromBottom) * width + x] = result;
        }
    }
    return target;
}

Picture Pattern(int width, int height, bool varyAlpha)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t blue = (x * 37 + y * 11) & 0xFF;
            const uint32_t green = (x * 5 + y * 29 + 7) & 0xFF;
            const uint32_t red = (x * x + y * 3 + 100) & 0xFF;
            const uint32_t alpha = varyAlpha ? ((x * 13 + y * 17 + 40) & 0xFF) : 255;
            picture.pixels.push_back(blue | green << 8 | red << 16 | alpha << 24);
        }
    }
    return picture;
}

