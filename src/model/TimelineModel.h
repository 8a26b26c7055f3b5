#ifndef LARKSPUR_MODEL_TIMELINEMODEL_H
#define LARKSPUR_MODEL_TIMELINEMODEL_H

#include "CString.h"

#include <string>
#include <vector>

class IconCache;
class TimelineReader;
class TimelineSnapshot;
class TimelineStore;
class WorkerGate;

// The program's process-wide timeline objects, all made before the entry
// point runs.

// The one store of statuses; the scrapers write it, the window side reads it
// through TimelineReaderOf, or through TimelineSnapshotOf (the store as it is
// now, held until the snapshot goes; include TimelineSnapshot.h to use it).
TimelineStore& Timeline();
const TimelineReader& TimelineReaderOf();
TimelineSnapshot TimelineSnapshotOf();

// The profile picture cache; the views draw from its image lists under
// IconCache::ScopedLock.
IconCache& Icons();

// The gate the program closes when it shuts down: from then on no worker
// scrapes, shows a box, or decodes or records a picture.
WorkerGate& ShutdownGate();

// Scrapes one page (already in the system code page) into the store; the
// page's picture addresses go to pictures, to be fetched once the page is
// published (Icons().AddAll), with no lock held. Does nothing once the
// shutdown gate is closed. Workers call it through Deliver (Account.h).
void ScrapeTimelinePage(const CString& page, std::vector<std::string>& pictures);

// Empties the timeline for a new account; the pictures stay. Readers keep
// the snapshots they hold. False when memory runs out (nothing changed).
bool StartTimelineOver();

#endif
