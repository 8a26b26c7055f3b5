#include "IconCache.h"

#include "FailedPictures.h"

#include "HttpTransport.h"
#include "IconDecode.h"
#include "IconPixels.h"
#include "SiteControl.h"
#include "Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace {

std::string ImageUrl(const std::string& folder, const std::string& name)
{
    return "http://" + SiteControl::Host() + "/images/" + folder + "/" + name;
}

int Requests(const std::string& target)
{
    return SiteControl::CountInLog(" GET " + target + " ");
}

// The pixels the site serves for url, decoded the way the cache decodes them.
Picture ServedPicture(const std::string& url)
{
    const std::string path = TempFolder() + "icon-test-reference";
    Picture picture;
    if (GetToFile(url.c_str(), path.c_str())) {
        HBITMAP bitmap = DecodeIconFile(path.c_str());
        if (bitmap) {
            picture = ReadPicture(bitmap);
            DeleteObject(bitmap);
        }
    }
    DeleteFileA(path.c_str());
    return picture;
}

void ExpectSamePicture(const Picture& expected, const Picture& actual)
{
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    ASSERT_EQ(expected.pixels.size(), actual.pixels.size());
    for (size_t i = 0; i < expected.pixels.size(); ++i)
        if (expected.pixels[i] != actual.pixels[i]) {
            ADD_FAILURE() << "pixel " << i % expected.width << "," << i / expected.width << " (from the top): expected "
                          << std::hex << expected.pixels[i] << ", got " << actual.pixels[i];
            return;
        }
}

// The cache's clock in the tests: milliseconds that pass only when a test
// says so, so that the waits of failed pictures can be crossed at once.
ULONGLONG fakeNow = 1000000;
ULONGLONG FakeClock()
{
    return fakeNow;
}

class IconCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SiteControl::Reset()) << "is the simulator running on " << SiteControl::Host() << "?";
        tempBefore = FolderNames(TempFolder());
    }

    // Every test leaves the temporary folder as it found it.
    void TearDown() override { EXPECT_EQ(tempBefore, FolderNames(TempFolder())); }

    void ExpectListsInStep()
    {
        IconCache::ScopedLock hold(cache);
        EXPECT_EQ(ImageList_GetImageCount(cache.LargeIcons()), ImageList_GetImageCount(cache.SmallIcons()));
    }

    static void Wait(ULONGLONG minutes) { fakeNow += minutes * 60 * 1000; }

    IconCache cache{nullptr, FakeClock};
    std::vector<std::string> tempBefore;
};

TEST_F(IconCacheTest, SameFileNameFromTwoFoldersIsFetchedOnce)
{
    cache.Add(ImageUrl("a", "48x48.png").c_str());
    cache.Add(ImageUrl("b", "48x48.png").c_str());
    cache.Add(ImageUrl("a", "48x48.png").c_str());

    EXPECT_EQ(1, Requests("/images/a/48x48.png"));
    EXPECT_EQ(0, Requests("/images/b/48x48.png"));
    ASSERT_EQ(1u, cache.Records().size());
    EXPECT_STREQ("48x48.png", cache.Records()[0].name);
    EXPECT_EQ(0, cache.IndexOf(ImageUrl("b", "48x48.png").c_str()));
    EXPECT_EQ(0, cache.IndexOf(ImageUrl("elsewhere", "48x48.png").c_str()));
    EXPECT_EQ(-1, cache.IndexOf(ImageUrl("a", "48x48.PNG").c_str())); // names are case-sensitive
    EXPECT_EQ(-1, cache.IndexOf("48x48.png"));                        // no '/', no name
}

// The waits of a picture that failed: 10 minutes, doubled with each further
// failure up to 2 hours; a success forgets them.
TEST(FailedPictures, WaitsDoubleUpToTwoHours)
{
    FailedPictures failures;
    const unsigned long long minute = 60 * 1000;
    unsigned long long now = 5 * minute;
    EXPECT_TRUE(failures.MayTry("a.png", now));
    for (const unsigned long long wait : {10, 20, 40, 80, 120, 120}) {
        SCOPED_TRACE(wait);
        failures.Failed("a.png", now);
        EXPECT_FALSE(failures.MayTry("a.png", now + wait * minute - 1));
        EXPECT_TRUE(failures.MayTry("b.png", now));
        now += wait * minute;
        EXPECT_TRUE(failures.MayTry("a.png", now));
    }
    failures.Succeeded("a.png");
    failures.Failed("a.png", now);
    EXPECT_TRUE(failures.MayTry("a.png", now + 10 * minute));
}

// A picture that failed is not asked for again until its wait is over, then
// it is, and once it arrives it is recorded.
TEST_F(IconCacheTest, FailedDownloadWaitsBeforeItIsTriedAgain)
{
    ASSERT_TRUE(SiteControl::Route("path=/images/a/40x40.png&status=404&count=1"));
    const std::string url = ImageUrl("a", "40x40.png");
    cache.Add(url.c_str());
    EXPECT_TRUE(cache.Records().empty());
    EXPECT_EQ(-1, cache.IndexOf(url.c_str()));

    Wait(9);
    cache.Add(url.c_str());
    EXPECT_EQ(1, Requests("/images/a/40x40.png"));
    Wait(1);
    cache.Add(url.c_str());
    EXPECT_EQ(2, Requests("/images/a/40x40.png"));
    ASSERT_EQ(1u, cache.Records().size());
    EXPECT_EQ(0, cache.IndexOf(url.c_str()));
    ExpectListsInStep();
}

// An https picture address goes out over TLS, not as plain HTTP to the
// secure port, and its picture is recorded.
TEST_F(IconCacheTest, HttpsPictureArrivesOverTls)
{
    const std::string url = "https://" + SiteControl::Host() + "/images/secure/48x48.png";
    cache.Add(url.c_str());
    EXPECT_EQ(1, SiteControl::CountInLog("https GET /images/secure/48x48.png 200"));
    EXPECT_EQ(0, SiteControl::CountInLog("http GET "));
    EXPECT_EQ(0, cache.IndexOf(url.c_str()));
    EXPECT_EQ(1u, cache.PicturesRecorded());
}

// A host that sends a byte a second, or far more than a profile picture, is
// cut off: the download fails within its deadline, leaves no file (TearDown)
// and records nothing, so the picture comes once its wait is over and the
// host serves it well.
// Had the cut body been kept, it would be recorded as no picture for good.
TEST_F(IconCacheTest, SlowOrHugePicturesAreCutAndTriedAgain)
{
    const struct {
        const char* name;
        const char* delivery;
        ULONGLONG least, most;
    } cases[] = {
        {"44x44.png", "trickle=1000", 19000, 26000},
        {"46x46.png", "size=1048577&type=image%2Fpng", 0, 15000},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.delivery);
        const std::string url = ImageUrl("slow", test.name);
        ASSERT_TRUE(SiteControl::Route("path=/images/slow/" + std::string(test.name) + "&count=1&" + test.delivery));
        const ULONGLONG start = GetTickCount64();
        cache.Add(url.c_str());
        const ULONGLONG took = GetTickCount64() - start;
        EXPECT_GE(took, test.least);
        EXPECT_LE(took, test.most);
        EXPECT_EQ(-1, cache.IndexOf(url.c_str()));

        Wait(10);
        cache.Add(url.c_str());
        EXPECT_GE(cache.IndexOf(url.c_str()), 0);
    }
    ExpectListsInStep();
}

TEST_F(IconCacheTest, WhatIsNotAPictureIsRecordedWithoutImageAndNotRetried)
{
    const std::string junk = ImageUrl("a", "junk.png");
    cache.Add(junk.c_str());
    cache.Add(junk.c_str());
    EXPECT_EQ(1, Requests("/images/a/junk.png"));
    ASSERT_EQ(1u, cache.Records().size());
    EXPECT_EQ(-1, cache.Records()[0].imageIndex);
    EXPECT_EQ(-1, cache.IndexOf(junk.c_str()));

    // The failed name takes no slot in the lists: the next picture is image 0.
    cache.Add(ImageUrl("a", "48x48.jpg").c_str());
    EXPECT_EQ(0, cache.IndexOf(ImageUrl("a", "48x48.jpg").c_str()));
    ExpectListsInStep();
}

// The large list holds the picture as decoded; the small one the 8.8 filter
// of it, worked out here from the decoded pixels.
TEST_F(IconCacheTest, LargeImageAsDecodedSmallImageFiltered)
{
    const std::string url = ImageUrl("a", "48x48.png");
    const Picture source = ServedPicture(url);
    ASSERT_EQ(48, source.width);
    bool someAlphaBelowOpaque = false;
    for (uint32_t pixel : source.pixels)
        someAlphaBelowOpaque |= (pixel >> 24) != 0xFF;
    ASSERT_TRUE(someAlphaBelowOpaque) << "the served PNG has transparent parts";

    cache.Add(url.c_str());
    const int index = cache.IndexOf(url.c_str());
    ASSERT_EQ(0, index);
    IconCache::ScopedLock hold(cache);
    ExpectSamePicture(source, ReadImageListImage(cache.LargeIcons(), index));
    ExpectSamePicture(ReferenceScale(source, true, 32, 32), ReadImageListImage(cache.SmallIcons(), index));
}

struct SizeCase {
    const char* name;
    bool opaque;
};

// Pictures of other sizes go through the same filter into both lists, and
// every picture takes exactly one slot in each list.
TEST_F(IconCacheTest, OtherSizesAreFilteredIntoBothLists)
{
    const SizeCase cases[] = {{"16x16.gif", true}, {"20x12.png", false}, {"7x30.bmp", true},
                              {"100x64.jpg", true}, {"48x48-opaque.png", true}, {"1x1.png", false}};
    int expectedIndex = 0;
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string url = ImageUrl("sizes", c.name);
        const Picture source = ServedPicture(url);
        ASSERT_GT(source.width, 0);
        cache.Add(url.c_str());
        ASSERT_EQ(expectedIndex, cache.IndexOf(url.c_str()));

        IconCache::ScopedLock hold(cache);
        const Picture small = ReadImageListImage(cache.SmallIcons(), expectedIndex);
        ExpectSamePicture(ReferenceScale(source, true, 32, 32), small);
        const Picture large = ReadImageListImage(cache.LargeIcons(), expectedIndex);
        ExpectSamePicture(source.width == 48 && source.height == 48 ? source : ReferenceScale(source, true, 48, 48),
                          large);
        if (c.opaque) {
            for (uint32_t pixel : small.pixels)
                ASSERT_EQ(0xFFu, pixel >> 24);
        }
        ASSERT_EQ(expectedIndex + 1, ImageList_GetImageCount(cache.LargeIcons()));
        ASSERT_EQ(expectedIndex + 1, ImageList_GetImageCount(cache.SmallIcons()));
        ++expectedIndex;
    }
}

// Other DPIs: both lists are made anew from the kept pictures, by the same
// filter, at the new sizes and with the same indexes; pictures added at a
// size arrive at it; back at 96 DPI the images are as they were.
TEST_F(IconCacheTest, SizesChangeWithTheDpi)
{
    const std::string urls[] = {ImageUrl("dpi", "48x48.png"), ImageUrl("dpi", "73x73.jpg")};
    const Picture sources[] = {ServedPicture(urls[0]), ServedPicture(urls[1])};
    cache.Add(urls[0].c_str());
    const auto expectSizes = [&](int small, int large) {
        IconCache::ScopedLock hold(cache);
        for (const int index : {0, 1}) {
            const Picture& source = sources[index];
            ExpectSamePicture(ReferenceScale(source, true, small, small), ReadImageListImage(cache.SmallIcons(), index));
            ExpectSamePicture(source.width == large ? source : ReferenceScale(source, true, large, large),
                              ReadImageListImage(cache.LargeIcons(), index));
        }
    };
    cache.SetImageSizes(48, 72);
    cache.Add(urls[1].c_str());
    ASSERT_EQ(1, cache.IndexOf(urls[1].c_str()));
    expectSizes(48, 72);
    cache.SetImageSizes(32, 48);
    expectSizes(32, 48);
    ExpectListsInStep();
}

// Broken transfers: nothing may stay behind in the temporary folder (checked
// in TearDown). A stalled body gives up on the receive time-out (about 5 s).
TEST_F(IconCacheTest, BrokenTransfersLeaveNoFile)
{
    ASSERT_TRUE(SiteControl::Route("path=/images/cut/48x48.png&drop=300"));
    ASSERT_TRUE(SiteControl::Route("path=/images/stall/64x64.png&stall=300"));
    ASSERT_TRUE(SiteControl::Route("path=/images/gone/32x32.png&status=500"));

    cache.Add(ImageUrl("cut", "48x48.png").c_str());
    const ULONGLONG start = GetTickCount64();
    cache.Add(ImageUrl("stall", "64x64.png").c_str());
    EXPECT_LT(GetTickCount64() - start, 20000u);
    cache.Add(ImageUrl("gone", "32x32.png").c_str());

    EXPECT_EQ(1, Requests("/images/cut/48x48.png"));
    EXPECT_EQ(-1, cache.IndexOf(ImageUrl("cut", "48x48.png").c_str()));
    // The stalled and the refused one are not recorded, so they are tried again.
    for (const IconRecord& record : cache.Records()) {
        EXPECT_STRNE("64x64.png", record.name);
        EXPECT_STRNE("32x32.png", record.name);
    }
    ExpectListsInStep();
}

// The folders above the temporary folder, whose listings must not change.
std::vector<std::string> FoldersAboveTemp()
{
    std::string folder = TempFolder();
    std::vector<std::string> above;
    for (int level = 0; level < 2; ++level) {
        folder.pop_back();
        folder = folder.substr(0, folder.rfind('\\') + 1);
        above.push_back(folder);
    }
    return above;
}

std::vector<std::vector<std::string>> Listings(const std::vector<std::string>& folders)
{
    std::vector<std::vector<std::string>> listings;
    for (const std::string& folder : folders)
        listings.push_back(FolderNames(folder));
    return listings;
}

// A download writes its file only once the whole picture is in: while the
// site holds two transfers half done, the temporary folder and the folders
// above it (where names with backslashes would climb) stay as they were.
TEST_F(IconCacheTest, HalfDoneDownloadsWriteNoFile)
{
    const std::vector<std::string> above = FoldersAboveTemp();
    const auto aboveBefore = Listings(above);
    const std::string picture = ImageUrl("x", "24x24.png");
    // The HTTP layer resolves the backslashes like a browser: these are the
    // paths the site sees.
    for (const char* target : {"/evil.png", "/images/evil2.png"})
        ASSERT_TRUE(SiteControl::Route(std::string("path=") + target + "&redirect=" + SiteControl::Encode(picture)));
    ASSERT_TRUE(SiteControl::Route("path=/images/x/24x24.png&stall=100"));

    std::thread first([&] { cache.Add(ImageUrl("u", "..\\..\\evil.png").c_str()); });
    std::thread second([&] { cache.Add(ImageUrl("u", "..\\evil2.png").c_str()); });
    EXPECT_TRUE(WaitUntil([] { return SiteControl::CountInLog("/images/x/24x24.png 200") == 2; }, 4000));
    EXPECT_EQ(tempBefore, FolderNames(TempFolder()));
    EXPECT_EQ(aboveBefore, Listings(above));
    first.join();
    second.join();
    EXPECT_TRUE(cache.Records().empty()) << "stalled transfers are failures";
}

// Names taken from a page never make a file outside the temporary folder or
// fail for good; the record keeps the name as the page wrote it. Every
// address is redirected to a real picture, so each download writes a file.
TEST_F(IconCacheTest, UnsafeNamesStayInTheTemporaryFolder)
{
    const std::vector<std::string> above = FoldersAboveTemp();
    const auto aboveBefore = Listings(above);

    const std::string picture = ImageUrl("x", "24x24.png");
    const char* names[] = {"..%5C..%5Cevil", "..\\..\\evil.png", "a:b", "..", "st*r.png", "what?.png", ""};
    // The HTTP layer resolves dot segments and backslashes the way a browser
    // does, and the query is not part of a route's path.
    std::vector<std::string> targets = {"/evil.png", "/images/", "/images/u/what"};
    for (const char* name : names)
        targets.push_back(std::string("/images/u/") + name);
    for (const std::string& target : targets)
        ASSERT_TRUE(SiteControl::Route("path=" + SiteControl::Encode(target) + "&redirect=" + SiteControl::Encode(picture)));
    for (const char* name : names)
        cache.Add(ImageUrl("u", name).c_str());

    const std::string tooLong(255, 'n');
    cache.Add(ImageUrl("u", tooLong).c_str());
    EXPECT_EQ(0, Requests("/images/u/" + tooLong)) << "a path that cannot fit is not downloaded";

    EXPECT_EQ(aboveBefore, Listings(above));
    const std::vector<IconRecord> records = cache.Records();
    for (const char* name : names) {
        SCOPED_TRACE(name);
        bool found = false;
        for (const IconRecord& record : records)
            found |= std::string(record.name) == name;
        EXPECT_TRUE(found);
    }
    // Each download landed and was decoded.
    for (const char* name : names)
        EXPECT_GE(cache.IndexOf(ImageUrl("u", name).c_str()), 0) << name;
    ExpectListsInStep();
}

// The UI thread looks up and draws while a worker adds; it must never see a
// record without its images or wait for a transfer.
TEST_F(IconCacheTest, ReadersOnAnotherThreadWhileAdding)
{
    std::atomic<bool> done{false};
    std::atomic<int> lookups{0};
    std::atomic<int> faults{0};
    std::thread reader([&] {
        while (!done) {
            IconCache::ScopedLock hold(cache);
            const int large = ImageList_GetImageCount(cache.LargeIcons());
            const int small = ImageList_GetImageCount(cache.SmallIcons());
            const int index = cache.IndexOf(ImageUrl("t", "9x9.png").c_str());
            if (large != small || index >= small)
                ++faults;
            ++lookups;
        }
    });
    for (int i = 1; i <= 12; ++i)
        cache.Add(ImageUrl("t", std::to_string(i) + "x9.png").c_str());
    done = true;
    reader.join();
    EXPECT_EQ(0, faults.load());
    EXPECT_GT(lookups.load(), 0);
    EXPECT_EQ(12u, cache.Records().size());
    EXPECT_EQ(8, cache.IndexOf(ImageUrl("t", "9x9.png").c_str()));
}

// A transfer that hangs must not keep the UI thread from the lock.
TEST_F(IconCacheTest, NoLockIsHeldDuringTheDownload)
{
    ASSERT_TRUE(SiteControl::Route("path=/images/slow/30x30.png&hang=1&count=1"));
    const std::string url = ImageUrl("slow", "30x30.png");
    std::thread worker([&] { cache.Add(url.c_str()); });
    // A held request is logged with status 0 as soon as it arrives.
    EXPECT_TRUE(WaitUntil([] { return SiteControl::CountInLog("/images/slow/30x30.png 0") == 1; }, 10000));
    const ULONGLONG start = GetTickCount64();
    {
        IconCache::ScopedLock hold(cache);
        EXPECT_LT(GetTickCount64() - start, 1000u);
        EXPECT_TRUE(cache.Records().empty());
    }
    // The reset lets the held request go (answered or retried by the HTTP
    // layer); whichever way, the name ends up with one image.
    SiteControl::Reset();
    worker.join();
    Wait(10);
    cache.Add(url.c_str());
    EXPECT_EQ(0, cache.IndexOf(url.c_str()));
}

// A thousand authors' pictures arrive: the cache keeps no GDI object per
// picture (each is kept as pixels for a change of sizes), so the objects of
// the process stay flat, and a change of sizes still makes every image.
// Wine reports no GDI objects of a process, so the cache's own count of the
// bitmaps it made and not yet deleted stands in where the platform's is 0.
TEST_F(IconCacheTest, PicturesHoldNoGdiObjects)
{
    const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::vector<std::string> urls;
    for (int width = 1; width <= 40; ++width)
        for (int height = 1; height <= 25; ++height)
            urls.push_back(ImageUrl("many", std::to_string(width) + "x" + std::to_string(height) + ".png"));
    for (const std::string& url : urls)
        cache.Add(url.c_str());
    EXPECT_EQ(1000u, cache.PicturesRecorded());
    EXPECT_LE(IconCache::MostBitmapsAlive(), 3);
    EXPECT_EQ(0, IconCache::BitmapsAlive());
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objectsBefore + 4);
    std::printf("GDI objects of the process: %lu before, %lu after 1000 pictures; the cache's bitmaps at most %ld "
                "at once, %ld now\n",
                objectsBefore, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), IconCache::MostBitmapsAlive(),
                IconCache::BitmapsAlive());

    cache.SetImageSizes(48, 72);
    IconCache::ScopedLock hold(cache);
    EXPECT_EQ(1000, ImageList_GetImageCount(cache.SmallIcons()));
    EXPECT_EQ(999, cache.IndexOf(urls.back().c_str()));
    ExpectListsInStep();
}

// One round (the pictures of one page) spends at most 30 s on downloads:
// two hosts that would each take their full 20 s do not hold it for 40 s,
// and the picture after them waits for the next round. The picture whose
// download the round's end cut short has not failed: the next round asks
// for it again.
TEST_F(IconCacheTest, ARoundEndsAfterThirtySeconds)
{
    std::vector<std::string> urls;
    for (const char* name : {"41x41.png", "42x42.png", "43x43.png"}) {
        if (urls.size() < 2) {
            ASSERT_TRUE(SiteControl::Route(std::string("path=/images/round/") + name + "&count=1&trickle=1000"));
        }
        urls.push_back(ImageUrl("round", name));
    }
    const ULONGLONG start = GetTickCount64();
    cache.AddAll(urls);
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_GE(took, 29000u);
    EXPECT_LE(took, 35000u);
    EXPECT_EQ(0, Requests("/images/round/43x43.png"));

    cache.AddAll(urls);
    EXPECT_EQ(-1, cache.IndexOf(urls[0].c_str())) << "the first failed and waits";
    EXPECT_GE(cache.IndexOf(urls[1].c_str()), 0) << "the second was cut by the round, not failed";
    EXPECT_GE(cache.IndexOf(urls[2].c_str()), 0);
}

} // namespace
