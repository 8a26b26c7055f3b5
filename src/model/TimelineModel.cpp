#include "TimelineModel.h"

#include <new>

#include "IconCache.h"
#include "Scraper.h"
#include "TimelineSnapshot.h"
#include "TimelineStore.h"
#include "WebAddress.h"
#include "WorkerGate.h"

namespace {

// The store is made in static storage and never destroyed: workers are
// detached and may still be scraping while the runtime runs its static
// destructors at exit, so the store must outlive them. The process hands its
// memory back. The icon cache is destroyed normally; its destructor closes it
// in a way that a late worker still finds safe. The program itself ends
// without static destructors, after closing the gate.
alignas(TimelineStore) unsigned char storeSpace[sizeof(TimelineStore)];
TimelineStore* const store = new (storeSpace) TimelineStore;

WorkerGate workerGate;
IconCache iconCache(&workerGate);

} // namespace

TimelineStore& Timeline()
{
    return *store;
}

const TimelineReader& TimelineReaderOf()
{
    return *store;
}

TimelineSnapshot TimelineSnapshotOf()
{
    return store->Snapshot();
}

IconCache& Icons()
{
    return iconCache;
}

WorkerGate& ShutdownGate()
{
    return workerGate;
}

void ScrapeTimelinePage(const CString& page, std::vector<std::string>& pictures)
{
    if (workerGate.IsClosed())
        return;
    ScrapePage(page, WebBaseAddress(), *store, &pictures);
}

bool StartTimelineOver()
{
    return store->StartOver();
}
