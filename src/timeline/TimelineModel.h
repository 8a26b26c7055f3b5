#ifndef LARKSPUR_TIMELINE_TIMELINEMODEL_H
#define LARKSPUR_TIMELINE_TIMELINEMODEL_H

#include "CString.h"

class IconCache;
class TimelineReader;
class TimelineSnapshot;
class TimelineStore;
class WorkerGate;

// The program's two process-wide timeline objects, both made before the
// entry point runs.

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

// Scrapes one page (already in the system code page) into the store, asking
// the icon cache for every status's picture. Runs on the calling worker
// thread; blocks while new pictures download. Does nothing once the
// shutdown gate is closed.
void ScrapeTimelinePage(CString page);

// The store's generation now: a fetch cycle notes it when it starts and
// scrapes its page for it, so a page of an account left meanwhile is dropped.
unsigned TimelineGeneration();
void ScrapeTimelinePage(CString page, unsigned generation);

// Empties the timeline for a new account; the pictures stay. Readers keep
// the snapshots they hold. False when memory runs out (nothing changed).
bool StartTimelineOver();

#endif
