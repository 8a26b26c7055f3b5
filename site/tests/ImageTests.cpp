// Profile pictures decoded with an independent decoder.
#include <gtest/gtest.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include <cstdlib>
#include <memory>

#include "GifWriter.h"
#include "ImagePattern.h"
#include "TestSupport.h"

using namespace sitetest;

namespace {

struct Decoded {
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels{nullptr, stbi_image_free};
    const unsigned char* At(int x, int y) const { return pixels.get() + (y * width + x) * 4; }
};

Decoded Decode(const std::string& file)
{
    Decoded image;
    image.pixels.reset(stbi_load_from_memory(reinterpret_cast<const unsigned char*>(file.data()),
                                             static_cast<int>(file.size()), &image.width, &image.height,
                                             &image.channels, 4));
    return image;
}

}  // namespace

TEST(Images, ServedPicturesDecodeToThePattern)
{
    RunningServer server;
    Browser browser(server.Port());
    struct Case {
        const char* name;
        const char* type;
        int width, height, channels;
        int tolerance;  // per channel, mean over the picture
    };
    const Case cases[] = {
        {"48x48.png", "image/png", 48, 48, 4, 0},
        {"24x24.png", "image/png", 24, 24, 4, 0},
        {"48x48-opaque.png", "image/png", 48, 48, 3, 0},
        {"64x32.bmp", "image/bmp", 64, 32, 3, 0},
        {"48x48.gif", "image/gif", 48, 48, 4, 0},
        {"73x73.jpg", "image/jpeg", 73, 73, 3, 12},
        {"512x1.png", "image/png", 512, 1, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reply reply = browser.Get(std::string("/images/any_folder/") + c.name);
        ASSERT_EQ(reply.status, 200);
        EXPECT_EQ(reply.Header("Content-Type"), c.type);
        Decoded image = Decode(reply.body);
        ASSERT_TRUE(image.pixels) << stbi_failure_reason();
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        // stb reports GIFs as four channels whatever the file holds.
        EXPECT_EQ(image.channels, c.channels);

        site::ImageSpec shape;
        ASSERT_EQ(site::ParseImageName(c.name, shape), site::ImageNameKind::Picture);
        long long difference = 0;
        int transparent = 0, half = 0, opaque = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                site::Rgba expected = site::PatternPixel(c.name, shape, x, y);
                if (shape.format == site::ImageFormat::Gif) expected = site::GifPaletteColour(site::GifPaletteIndex(expected));
                const unsigned char* got = image.At(x, y);
                difference += std::abs(got[0] - expected.r) + std::abs(got[1] - expected.g) + std::abs(got[2] - expected.b);
                EXPECT_EQ(got[3], expected.a);
                transparent += got[3] == 0;
                half += got[3] == 128;
                opaque += got[3] == 255;
            }
        }
        double mean = static_cast<double>(difference) / (3.0 * image.width * image.height);
        EXPECT_LE(mean, c.tolerance);
        if (shape.format == site::ImageFormat::Png && c.height > 1) {
            EXPECT_GT(transparent, 0);
            EXPECT_GT(half, 0);
            EXPECT_GT(opaque, 0);
        }
    }
}

TEST(Images, PatternIsColourfulAndDeterministic)
{
    RunningServer server;
    Browser browser(server.Port());
    std::string first = browser.Get("/images/a/48x48.png").body;
    EXPECT_EQ(browser.Get("/images/b/48x48.png").body, first);
    Decoded image = Decode(first);
    ASSERT_TRUE(image.pixels);
    // Neighbouring pixels differ somewhere in every row: a scaler that
    // smears or shifts shows.
    int distinctColours = 0;
    for (int y = 12; y < 36; ++y) {
        for (int x = 13; x < 36; ++x) {
            const unsigned char* a = image.At(x - 1, y);
            const unsigned char* b = image.At(x, y);
            distinctColours += a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
        }
    }
    EXPECT_GT(distinctColours, 24 * 23 / 2);
}

TEST(Images, NonPicturesAndUnknownForms)
{
    RunningServer server;
    Browser browser(server.Port());
    Reply junk = browser.Get("/images/f/junk.png");
    EXPECT_EQ(junk.status, 200);
    EXPECT_EQ(junk.Header("Content-Type"), "image/png");
    EXPECT_FALSE(Decode(junk.body).pixels);
    EXPECT_EQ(browser.Get("/images/f/hello.txt").status, 200);

    for (const char* target : {"/images/f/0x10.png", "/images/f/600x600.png", "/images/f/10x10-opaque.jpg",
                               "/images/48x48.png", "/images/a/b/48x48.png", "/images//48x48.png"}) {
        EXPECT_EQ(browser.Get(target).status, 404) << target;
    }
    EXPECT_EQ(browser.Request("POST", "/images/f/48x48.png", "", false).status, 405);
    Reply head = browser.Request("HEAD", "/images/f/48x48.gif", "", false);
    EXPECT_EQ(head.status, 200);
    EXPECT_GT(std::stoul(head.Header("Content-Length")), 0u);
    EXPECT_EQ(head.body, "");
}
