#include "ServiceSession.h"
#include "ServiceTesting.h"
#include "SiteControl.h"
#include "StatusPosts.h"
#include "TimelineModel.h"
#include "TimelineReader.h"
#include "FetchCycle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

namespace {

using namespace ServiceTesting;

// Entries made by this test carry their id in their text, so a copy made of
// two different entries shows.
bool Whole(const TimelineEntry& entry)
{
    const std::string text = entry.text;
    if (text.rfind("stress check ", 0) == 0)
        return text == std::string("stress check ") + entry.statusId && std::strcmp(entry.screenName, "mallory") == 0;
    if (text.rfind("stress post ", 0) == 0)
        return std::strcmp(entry.screenName, "alice") == 0;
    return entry.statusId[0] != 0 || entry.text[0] != 0 || entry.screenName[0] != 0;
}

unsigned long long Key(const TimelineEntry& entry)
{
    return (static_cast<unsigned long long>(entry.createdAtFileTime.dwHighDateTime) << 32)
        | entry.createdAtFileTime.dwLowDateTime;
}

TEST(Stress, ReadersSeeOnlyWholeStatesWhileCyclesAndPostsRun)
{
    FreshStart("alice", "wonderland");
    ASSERT_TRUE(SiteControl::Post("config", "page_size=60"));
    ASSERT_TRUE(RunFetchCycle());

    const int rounds = 25;
    std::atomic<bool> done{false};
    std::thread site([&] {
        for (int i = 0; i < rounds * 2; ++i) {
            const std::string id = std::to_string(30000000000LL + i);
            AddStatus(id, "mallory", "stress check " + id);
        }
    });
    std::thread fetcher([&] {
        for (int i = 0; i < rounds; ++i) {
            serviceSession.fetchBusy = 1;
            RunTimelineFetch();
        }
    });
    std::thread poster([&] {
        for (int i = 0; i < rounds; ++i)
            RunStatusPost(("stress post " + std::to_string(i)).c_str());
    });
    std::thread finisher([&] {
        site.join();
        fetcher.join();
        poster.join();
        done = true;
    });

    const TimelineReader& reader = TimelineReaderOf();
    long iterations = 0;
    long sameStateChecks = 0;
    int lastCount = 0;
    bool failed = false;
    while ((!done || iterations < 5000) && !failed) {
        ++iterations;
        const int count = reader.GetCount();
        if (count < lastCount) {
            ADD_FAILURE() << "the count went down from " << lastCount << " to " << count;
            failed = true;
        }
        lastCount = count;
        if (count < 2)
            continue;
        const int index = static_cast<int>(iterations % (count - 1));
        TimelineEntry first, second;
        ASSERT_TRUE(reader.GetEntry(index, first));
        ASSERT_TRUE(reader.GetEntry(index + 1, second));
        const int found = reader.IndexOf(first.statusId);
        if (!Whole(first) || !Whole(second)) {
            ADD_FAILURE() << "torn entry at " << index;
            failed = true;
        }
        // Same count before and after: all reads came from one state.
        if (reader.GetCount() == count) {
            ++sameStateChecks;
            if (Key(first) < Key(second) || found != index || std::strcmp(first.statusId, second.statusId) == 0) {
                ADD_FAILURE() << "order or index broken at " << index << " of " << count;
                failed = true;
            }
        }
    }
    finisher.join();
    EXPECT_GT(iterations, 5000);
    EXPECT_GT(sameStateChecks, 1000);
    EXPECT_GE(reader.GetCount(), rounds * 2);
    SiteControl::Post("config", "page_size=20");
}

} // namespace
