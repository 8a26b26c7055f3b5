#include "IconDecode.h"

#include "IconPixels.h"

#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace Gdiplus;

// Writes picture with one of GDI+'s own encoders, named by its class id.
bool SavePicture(const Picture& picture, const wchar_t* encoder, const std::string& path)
{
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromScan0(picture.width, picture.height, 0, PixelFormat32bppARGB, nullptr,
                                              &bitmap) != Ok)
        return false;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            DllExports::GdipBitmapSetPixel(bitmap, x, y, picture.At(x, y));
    CLSID clsid;
    CLSIDFromString(const_cast<wchar_t*>(encoder), &clsid);
    wchar_t widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    const bool saved = DllExports::GdipSaveImageToFile(bitmap, widePath, &clsid, nullptr) == Ok;
    DllExports::GdipDisposeImage(bitmap);
    return saved;
}

const wchar_t pngEncoder[] = L"{557CF406-1A04-11D3-9A73-0000F81EF32E}";
const wchar_t bmpEncoder[] = L"{557CF400-1A04-11D3-9A73-0000F81EF32E}";

class DecodeIconFileTest : public testing::Test {
protected:
    void TearDown() override { DeleteFileA(path.c_str()); }
    std::string path = TempFolder() + "decode-test-\x93\xfa\x96\x7b.png"; // a CP932 name
};

TEST_F(DecodeIconFileTest, TransparentPartsLandOnTheButtonFace)
{
    Picture picture;
    picture.width = 2;
    picture.height = 1;
    picture.pixels = {0xFF102030u, 0x00FFFFFFu};
    ASSERT_TRUE(SavePicture(picture, pngEncoder, path));

    HBITMAP bitmap = DecodeIconFile(path.c_str());
    ASSERT_NE(bitmap, nullptr);
    const Picture decoded = ReadPicture(bitmap);
    ASSERT_EQ(2, decoded.width);
    EXPECT_EQ(0x102030u, decoded.At(0, 0) & 0xFFFFFF);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const uint32_t faceRgb = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
    EXPECT_EQ(faceRgb, decoded.At(1, 0) & 0xFFFFFF);
    DeleteObject(bitmap);
    // The decoder let go of the file.
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(DecodeIconFileTest, KeepsSizeAndOrientation)
{
    const Picture picture = Pattern(20, 11, false);
    ASSERT_TRUE(SavePicture(picture, bmpEncoder, path));
    HBITMAP bitmap = DecodeIconFile(path.c_str());
    ASSERT_NE(bitmap, nullptr);
    const Picture decoded = ReadPicture(bitmap);
    ASSERT_EQ(20, decoded.width);
    ASSERT_EQ(11, decoded.height);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(picture.At(x, y) & 0xFFFFFF, decoded.At(x, y) & 0xFFFFFF) << x << "," << y;
    DeleteObject(bitmap);
}

TEST_F(DecodeIconFileTest, NoBitmapForWhatIsNotAPicture)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs("<html>not a picture</html>", file);
    fclose(file);
    EXPECT_EQ(nullptr, DecodeIconFile(path.c_str()));

    file = fopen(path.c_str(), "wb"); // an empty file
    fclose(file);
    EXPECT_EQ(nullptr, DecodeIconFile(path.c_str()));

    DeleteFileA(path.c_str());
    EXPECT_EQ(nullptr, DecodeIconFile(path.c_str()));
    EXPECT_EQ(nullptr, DecodeIconFile(nullptr));
}

} // namespace
