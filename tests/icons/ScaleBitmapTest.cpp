#include "ScaleBitmap.h"

#include "IconPixels.h"

#include <gtest/gtest.h>

namespace {

// Compares the first differing pixel only, so a wrong filter reports one
// readable line instead of a thousand.
void ExpectSamePicture(const Picture& expected, const Picture& actual)
{
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if (expected.At(x, y) != actual.At(x, y)) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << " from the top): expected " << std::hex
                              << expected.At(x, y) << ", got " << actual.At(x, y);
                return;
            }
}

struct ScaleCase {
    const char* what;
    int width;
    int height;
    int bitsPerPixel;
    int targetWidth;
    int targetHeight;
};

void PrintTo(const ScaleCase& c, std::ostream* out)
{
    *out << c.what;
}

class ScaleBitmapFilter : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleBitmapFilter, MatchesTheFixedPointFilterPixelForPixel)
{
    const ScaleCase& c = GetParam();
    const bool alphaSource = c.bitsPerPixel == 32;
    const Picture source = Pattern(c.width, c.height, alphaSource);
    HBITMAP bitmap = MakeBitmap(source, c.bitsPerPixel);
    ASSERT_NE(bitmap, nullptr);

    HBITMAP scaled = ScaleBitmap(bitmap, c.targetWidth, c.targetHeight);
    ASSERT_NE(scaled, nullptr);
    BITMAP info;
    ASSERT_TRUE(GetObjectA(scaled, sizeof info, &info));
    EXPECT_EQ(32, info.bmBitsPixel);
    EXPECT_NE(nullptr, info.bmBits) << "a DIB section";

    // What the scaler read is what GetDIBits gives for the source: for a
    // 24-bit source that is the colour with a zero top byte.
    const Picture read = ReadPicture(bitmap);
    ExpectSamePicture(ReferenceScale(read, alphaSource, c.targetWidth, c.targetHeight), ReadPicture(scaled));

    DeleteObject(scaled);
    DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScaleBitmapFilter,
    testing::Values(ScaleCase{"48x48 down", 48, 48, 32, 32, 32},
                    ScaleCase{"16x16 up", 16, 16, 32, 32, 32},
                    ScaleCase{"13x20 up, not square", 13, 20, 32, 32, 32},
                    ScaleCase{"73x41 down, uneven steps", 73, 41, 32, 32, 32},
                    ScaleCase{"1x1 up", 1, 1, 32, 32, 32},
                    ScaleCase{"48x48 without alpha", 48, 48, 24, 32, 32},
                    ScaleCase{"7x9 without alpha", 7, 9, 24, 32, 32},
                    ScaleCase{"48x48 to 5x3", 48, 48, 32, 5, 3}),
    [](const testing::TestParamInfo<ScaleCase>& info) { return "Case" + std::to_string(info.index); });

// Values worked out by hand, so that the test's own filter cannot share a
// misreading with the scaler: a 3x3 source to 2x2 steps 384 both ways, so
// the second column and row sit halfway between source pixels 1 and 2.
TEST(ScaleBitmap, HandWorkedValues)
{
    Picture source;
    source.width = 3;
    source.height = 3;
    // Top row first; blue carries the values, alpha in the bottom row too.
    source.pixels = {0xFF000000u | 0, 0xFF000000u | 61, 0xFF000000u | 91,
                     0xFF000000u | 200, 0xFF000000u | 100, 0xFF000000u | 50,
                     0x10000000u | 10, 0x20000000u | 20, 0x31000000u | 31};
    HBITMAP bitmap = MakeBitmap(source, 32);
    HBITMAP scaled = ScaleBitmap(bitmap, 2, 2);
    ASSERT_NE(scaled, nullptr);
    const Picture result = ReadPicture(scaled);
    // Bottom target row (wy = 0): 10, and (20 + 31) / 2 = 25 with the half
    // dropped; alpha 0x10 and (0x20 + 0x31) / 2 = 0x28.
    EXPECT_EQ(0x1000000Au, result.At(0, 1));
    EXPECT_EQ(0x28000019u, result.At(1, 1));
    // Top target row (source rows 1 and 2 from the bottom, wy = 128):
    // (200 + 0) / 2 = 100; along x first 75 and 76, then 75, where one
    // rounding of the four-pixel mean would give 76.
    EXPECT_EQ(0xFF000064u, result.At(0, 0));
    EXPECT_EQ(0xFF00004Bu, result.At(1, 0));
    DeleteObject(scaled);
    DeleteObject(bitmap);
}

TEST(ScaleBitmap, RefusesWhatCannotBeScaled)
{
    HBITMAP bitmap = MakeBitmap(Pattern(4, 4, true), 32);
    EXPECT_EQ(nullptr, ScaleBitmap(nullptr, 32, 32));
    EXPECT_EQ(nullptr, ScaleBitmap(bitmap, 0, 32));
    EXPECT_EQ(nullptr, ScaleBitmap(bitmap, 32, -1));
    DeleteObject(bitmap);
    // A handle that is no longer a bitmap.
    EXPECT_EQ(nullptr, ScaleBitmap(bitmap, 32, 32));
}

} // namespace
