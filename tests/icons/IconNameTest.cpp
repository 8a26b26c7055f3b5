#include "IconCache.h"

#include "IconPixels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct NameCase {
    const char* url;
    bool hasName;
    const char* name;
};

TEST(IconFileName, LastSegmentFoundFromTheEndDownToIndexOne)
{
    const NameCase cases[] = {
        {"http://localhost/images/a/48x48.png", true, "48x48.png"},
        {"http://localhost/images/a/", true, ""},          // an empty name is still a name
        {"http://localhost/p.png?size=big/x", true, "x"},  // the query counts
        {"http://localhost/p.png?size=big", true, "p.png?size=big"},
        {"//", true, ""},                                  // the '/' at index 1 is seen
        {"/only", false, ""},                              // index 0 is never looked at
        {"no-slash.png", false, ""},
        {"", false, ""},
        {"http://h/..%5C..%5Cevil", true, "..%5C..%5Cevil"},
    };
    for (const NameCase& c : cases) {
        char name[264];
        memset(name, 'x', sizeof name);
        EXPECT_EQ(c.hasName, IconFileName(c.url, name)) << c.url;
        EXPECT_STREQ(c.name, name) << c.url;
    }
    char name[264];
    EXPECT_FALSE(IconFileName(nullptr, name));
}

TEST(IconFileName, LongNameIsCutToTheField)
{
    const std::string url = "http://h/" + std::string(300, 'n');
    char name[264];
    ASSERT_TRUE(IconFileName(url.c_str(), name));
    EXPECT_EQ(std::string(263, 'n'), name);
}

// Whatever the page puts into a name, the download lands in the temporary
// folder itself under a name Windows accepts.
TEST(IconTempPath, StaysInsideTheTemporaryFolder)
{
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    const char* names[] = {"..\\..\\evil", "..%5C..%5Cevil", "a:b", "..", ".", "", "what?.png", "st*r.png",
                           "con", "sub/dir.png", "\x83\x5c.png" /* Shift-JIS with a '\' trail byte */,
                           "with space.gif", "quote\".jpg", "pipe|<>.bmp"};
    std::string previous;
    for (const char* name : names) {
        char path[MAX_PATH];
        ASSERT_TRUE(IconTempPath(name, path)) << name;
        const std::string text = path;
        ASSERT_EQ(0u, text.compare(0, folder.size(), folder)) << text;
        const std::string file = text.substr(folder.size());
        EXPECT_FALSE(file.empty()) << name;
        EXPECT_EQ(std::string::npos, file.find_first_not_of(
                                         "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-"))
            << file;
        EXPECT_NE(std::string::npos, file.find_first_not_of('.')) << file;
        // Every call gets a file of its own, even for the same name.
        EXPECT_NE(previous, file);
        previous = file;
    }
}

TEST(IconTempPath, PathThatWouldNotFitIsRefused)
{
    char path[MAX_PATH];
    EXPECT_FALSE(IconTempPath(std::string(255, 'n').c_str(), path));
    EXPECT_FALSE(IconTempPath(std::string(MAX_PATH - TempFolder().size(), 'n').c_str(), path));
    EXPECT_TRUE(IconTempPath(std::string(200, 'n').c_str(), path));
    EXPECT_LT(strlen(path), static_cast<size_t>(MAX_PATH));
}

} // namespace
