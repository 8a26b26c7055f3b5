#include "IconDecode.h"

#include <objidl.h>
#include <gdiplus.h>

HBITMAP DecodeIconFile(const char* path)
{
    WCHAR widePath[MAX_PATH];
    if (!path || MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0)
        return nullptr;

    // COLORREF is 0x00BBGGRR; GDI+ wants an opaque 0xAARRGGBB.
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    Gdiplus::ARGB background =
        0xFF000000u | (static_cast<Gdiplus::ARGB>(GetRValue(face)) << 16) |
        (static_cast<Gdiplus::ARGB>(GetGValue(face)) << 8) | GetBValue(face);

    Gdiplus::GpBitmap* image = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromFile(widePath, &image) != Gdiplus::Ok || !image)
        return nullptr;

    HBITMAP bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image, &bitmap, background) != Gdiplus::Ok)
        bitmap = nullptr;
    Gdiplus::DllExports::GdipDisposeImage(image);
    return bitmap;
}
