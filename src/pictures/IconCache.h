#ifndef LARKSPUR_PICTURES_ICONCACHE_H
#define LARKSPUR_PICTURES_ICONCACHE_H

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "FailedPictures.h"
#include "HttpTransport.h"
#include "ScaleBitmap.h"

class WorkerGate;

// The sizes of the list's and the detail pane's pictures at 96 DPI.
const int smallPictureSize = 32;
const int largePictureSize = 48;

// The most time one round (the pictures of one scraped page) spends on
// downloads; the pictures left wait for the next round.
const unsigned long pictureRoundMs = 30000;

// One known profile picture file name and where its image sits in both lists.
struct IconRecord {
    char name[264];  // the last segment of the icon address; the lookup key
    int imageIndex;  // index in both image lists; -1 when no image was made
};

// The profile picture cache. The scraper's worker thread calls Add; the UI
// thread calls IndexOf and draws from the two image lists. The records and
// both lists change only under the cache's lock, and the views draw under
// the same lock (ScopedLock). No lock is held during a download.
//
// The only GDI objects it keeps are its two image lists: each picture is
// kept for a change of sizes as plain pixels, and the bitmaps made on the
// way into the lists live only while a picture is added.
class IconCache {
public:
    using Clock = ULONGLONG (*)();

    // With a gate, Add gives up once the gate is closed and decodes and
    // records a picture only inside it (GDI+ may be shut down after). The
    // clock (milliseconds; the tick count unless given) times the waits of
    // pictures that failed.
    explicit IconCache(WorkerGate* gate = nullptr, Clock clock = nullptr);
    ~IconCache();
    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;

    // Makes sure a record exists for the file name of url: names, downloads,
    // decodes and records the picture the first time a name is seen. A
    // download that fails records nothing but the failure: the name is not
    // asked for again until its wait is over (FailedPictures); a success
    // forgets the failures. A download given less than its own deadline
    // (deadlineMs, the end of a round) that fails is no failure of the
    // picture. Blocking. The small image (32x32 at 96 DPI) is filtered from
    // the picture, the large one (48x48) too unless the picture has that size.
    void Add(const char* url, unsigned long deadlineMs = pictureDeadlineMs);

    // The pictures of one page, in order, within pictureRoundMs in all.
    void AddAll(const std::vector<std::string>& urls);

    // The sizes the windows draw the pictures at. A change makes both lists
    // anew from the pixels the cache keeps, with the same filter and the
    // same indexes; handles stay the same.
    void SetImageSizes(int small, int large);

    // The image index recorded for the file name of url; -1 when the address
    // has no file name, the name is unknown or its picture could not be made.
    int IndexOf(const char* url) const;

    // Large (detail pane) and small (timeline list) images, one index for both.
    // The handles never change; draw from them while holding a ScopedLock.
    HIMAGELIST LargeIcons() const { return largeIcons; }
    HIMAGELIST SmallIcons() const { return smallIcons; }

    // A copy of the records in the order they were added.
    std::vector<IconRecord> Records() const;

    // How many pictures have been recorded with an image so far. The window
    // side compares it once a second and repaints what may show a picture
    // that has just arrived.
    unsigned PicturesRecorded() const { return picturesRecorded.load(); }

    // Bitmaps of every cache alive now, besides the image lists; the most
    // there ever were at once.
    static long BitmapsAlive();
    static long MostBitmapsAlive();

    // Holds the cache's lock for the life of the object. The lock is
    // recursive, so a view may call IndexOf while holding it.
    class ScopedLock {
    public:
        explicit ScopedLock(const IconCache& cache);
        ~ScopedLock();
        ScopedLock(const ScopedLock&) = delete;
        ScopedLock& operator=(const ScopedLock&) = delete;

    private:
        CRITICAL_SECTION* section;
    };

private:
    // Add's four steps: naming, download (GetToFile), decoding, recording.
    bool NameNewPicture(const char* url, char (&name)[264], char (&path)[MAX_PATH]) const;
    bool DecodePicture(const char* path, PicturePixels& picture) const;
    void Record(const char* name, PicturePixels& picture);
    int FindRecord(const char* name) const;
    // Adds picture at the present sizes to both lists: the index, or -1
    // with the lists as they were.
    int AddImages(const PicturePixels& picture);

    // Deliberately never deleted: a detached worker that is still inside Add
    // when the process runs its static destructors must still be able to take
    // it and find the cache closed.
    mutable CRITICAL_SECTION section;
    WorkerGate* gate;
    Clock clock;
    bool closed;
    std::vector<IconRecord> records;
    // The pictures by image index, for making the images at another size.
    std::vector<PicturePixels> sources;
    FailedPictures failures;
    std::atomic<int> smallSize{smallPictureSize};
    std::atomic<int> largeSize{largePictureSize};
    std::atomic<unsigned> picturesRecorded{0};
    HIMAGELIST largeIcons;
    HIMAGELIST smallIcons;
};

// The file name of an icon address: everything after the last '/' found when
// scanning from the last character down to index 1 (index 0 is never looked
// at), cut to fit name. False when there is no such '/'.
bool IconFileName(const char* url, char (&name)[264]);

// Where Add downloads the picture named name: the temporary directory and a
// file name made safe from name (only [A-Za-z0-9._-], under a unique prefix),
// so that no name from a page can point outside the temporary directory.
// False when the path would not fit the 260-byte buffer.
bool IconTempPath(const char* name, char (&path)[MAX_PATH]);

#endif
