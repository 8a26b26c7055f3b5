#include "TimelineModel.h"

#include "IconCache.h"
#include "SiteControl.h"
#include "WebAddress.h"
#include "TimelineStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The process-wide objects wired together: a scraped page lands in the store
// and its pictures in the icon cache, each picture fetched once.
TEST(TimelineModel, ScrapedPageFillsTheStoreAndTheIconCache)
{
    ASSERT_TRUE(SiteControl::Reset());
    const std::string base = WebBaseAddress();
    const std::string icon = base + "images/model/36x36.png";
    std::string page;
    for (const char* id : {"1001", "1002"})
        page += "<li class=\"hentry status\"><strong><a href=\"" + base + "alice\">alice</a></strong>"
                "<img alt=\"Alice\" src=\"" + icon + "\" /><span class=\"entry-content\">hello</span>"
                "<span data=\"{time:'Mon Jan 04 09:05:07 +0000 2010'}\">now</span>"
                "<a href=\"" + base + "alice/status/" + id + "\">link</a></li><li>";

    for (int round = 0; round < 2; ++round) {
        std::vector<std::string> pictures;
        ScrapeTimelinePage(CString(page.c_str()), pictures);
        Icons().AddAll(pictures);
    }

    EXPECT_EQ(&static_cast<const TimelineReader&>(Timeline()), &TimelineReaderOf());
    ASSERT_EQ(2, TimelineReaderOf().GetCount());
    TimelineEntry entry;
    ASSERT_TRUE(TimelineReaderOf().GetEntry(0, entry));
    EXPECT_EQ(icon, entry.iconUrl);
    EXPECT_EQ(0, Icons().IndexOf(entry.iconUrl));
    EXPECT_EQ(1, SiteControl::CountInLog(" GET /images/model/36x36.png "));
    IconCache::ScopedLock hold(Icons());
    EXPECT_EQ(1, ImageList_GetImageCount(Icons().SmallIcons()));
    EXPECT_EQ(1, ImageList_GetImageCount(Icons().LargeIcons()));
}

} // namespace
