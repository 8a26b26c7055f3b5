#include "IconCache.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>

#include "HttpTransport.h"
#include "IconDecode.h"
#include "WorkerGate.h"

namespace {

const COLORREF maskColour = RGB(255, 255, 255);
// Larger pictures are kept for a change of sizes at most this large a side,
// filtered down once: no display draws a list picture near it.
const int keptSide = 256;

std::atomic<long> bitmapsAlive{0};
std::atomic<long> mostBitmapsAlive{0};

// A bitmap the cache made, deleted when the object goes; counted, since the
// platform under test does not report a process's GDI objects.
class OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP bitmap) : bitmap(bitmap)
    {
        if (bitmap == nullptr)
            return;
        const long alive = ++bitmapsAlive;
        long most = mostBitmapsAlive.load();
        while (alive > most && !mostBitmapsAlive.compare_exchange_weak(most, alive)) {
        }
    }
    ~OwnedBitmap()
    {
        if (bitmap != nullptr) {
            ::DeleteObject(bitmap);
            --bitmapsAlive;
        }
    }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    HBITMAP Get() const { return bitmap; }

private:
    HBITMAP bitmap;
};

ULONGLONG TickClock()
{
    return ::GetTickCount64();
}

bool IsSafeFileByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

// Adds bitmap as exactly one image and returns its index, or -1 with the list
// as it was. An image list cuts a bitmap into as many images as its width
// holds: a narrower bitmap adds none (yet the call returns an index) and a
// wider one adds several, either of which would put the two lists out of step.
int AddOneImage(HIMAGELIST list, HBITMAP bitmap)
{
    int before = ImageList_GetImageCount(list);
    int index = ImageList_AddMasked(list, bitmap, maskColour);
    int after = ImageList_GetImageCount(list);
    if (index == before && after == before + 1)
        return index;
    while (after > before)
        ImageList_Remove(list, --after);
    return -1;
}

// What is kept of a large picture: filtered to fit keptSide a side.
void ShrinkToKeep(PicturePixels& picture)
{
    if (picture.width <= keptSide && picture.height <= keptSide)
        return;
    PicturePixels kept;
    kept.width = picture.width < keptSide ? picture.width : keptSide;
    kept.height = picture.height < keptSide ? picture.height : keptSide;
    kept.hasAlpha = picture.hasAlpha;
    try {
        kept.pixels.resize(static_cast<size_t>(kept.width) * kept.height);
    } catch (const std::bad_alloc&) {
        return;
    }
    ScalePixels(picture, kept.width, kept.height, kept.pixels.data());
    picture = std::move(kept);
}

} // namespace

bool IconFileName(const char* url, char (&name)[264])
{
    name[0] = '\0';
    if (!url)
        return false;
    int length = static_cast<int>(strlen(url));
    for (int i = length - 1; i >= 1; --i) {
        if (url[i] == '/') {
            // Cut like every fixed field: width minus one, always terminated.
            lstrcpynA(name, url + i + 1, sizeof name);
            return true;
        }
    }
    return false;
}

bool IconTempPath(const char* name, char (&path)[MAX_PATH])
{
    // Every download gets a file of its own: the process id keeps two running
    // copies apart, the sequence number two downloads in one process. The
    // prefix also means the file name is never empty and never only dots.
    static std::atomic<unsigned long> sequence{0};

    path[0] = '\0';
    char directory[MAX_PATH];
    DWORD directoryLength = GetTempPathA(sizeof directory, directory);
    if (directoryLength == 0 || directoryLength >= sizeof directory)
        return false;

    char prefix[40];
    int prefixLength = snprintf(prefix, sizeof prefix, "lkicon%lx-%lx-", GetCurrentProcessId(),
                                sequence.fetch_add(1) + 1);
    size_t nameLength = strlen(name);
    if (directoryLength + prefixLength + nameLength >= sizeof path)
        return false;

    memcpy(path, directory, directoryLength);
    memcpy(path + directoryLength, prefix, prefixLength);
    char* out = path + directoryLength + prefixLength;
    for (size_t i = 0; i < nameLength; ++i)
        out[i] = IsSafeFileByte(static_cast<unsigned char>(name[i])) ? name[i] : '_';
    out[nameLength] = '\0';
    return true;
}

IconCache::IconCache(WorkerGate* gate, Clock clock)
    : gate(gate),
      clock(clock != nullptr ? clock : TickClock),
      closed(false),
      largeIcons(ImageList_Create(largeSize, largeSize, ILC_COLOR32, 2, 1)),
      smallIcons(ImageList_Create(smallSize, smallSize, ILC_COLOR32, 2, 1))
{
    InitializeCriticalSection(&section);
}

IconCache::~IconCache()
{
    ScopedLock hold(*this);
    closed = true;
    if (largeIcons)
        ImageList_Destroy(largeIcons);
    if (smallIcons)
        ImageList_Destroy(smallIcons);
    largeIcons = nullptr;
    smallIcons = nullptr;
    std::vector<IconRecord>().swap(records);
    std::vector<PicturePixels>().swap(sources);
}

long IconCache::BitmapsAlive()
{
    return bitmapsAlive.load();
}

long IconCache::MostBitmapsAlive()
{
    return mostBitmapsAlive.load();
}

IconCache::ScopedLock::ScopedLock(const IconCache& cache) : section(&cache.section)
{
    EnterCriticalSection(section);
}

IconCache::ScopedLock::~ScopedLock()
{
    LeaveCriticalSection(section);
}

int IconCache::FindRecord(const char* name) const
{
    for (size_t i = 0; i < records.size(); ++i) {
        if (strcmp(records[i].name, name) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

// Naming: the record's key, and the file the picture downloads to. False
// when there is nothing to do: no name, a name known already or waiting out
// a failure, a cache closed or a path that does not fit.
bool IconCache::NameNewPicture(const char* url, char (&name)[264], char (&path)[MAX_PATH]) const
{
    if (!IconFileName(url, name))
        return false;
    {
        ScopedLock hold(*this);
        if (closed || FindRecord(name) >= 0 || !failures.MayTry(name, clock()))
            return false;
    }
    return (gate == nullptr || !gate->IsClosed()) && IconTempPath(name, path);
}

// Decoding: the picture at path as pixels; false when the file is no
// picture GDI+ can read. The decoded bitmap goes at once.
bool IconCache::DecodePicture(const char* path, PicturePixels& picture) const
{
    const OwnedBitmap decoded(DecodeIconFile(path));
    return decoded.Get() != nullptr && ReadBitmapPixels(decoded.Get(), picture);
}

// Recording: the images into both lists at one index and the record under
// name; a picture that could not be made is recorded with -1, so it is not
// asked for again. The cache keeps the pixels (taken from picture) for a
// later change of sizes. Under the lock; nothing when the cache is closed or
// the name was recorded meanwhile by another scrape.
void IconCache::Record(const char* name, PicturePixels& picture)
{
    ScopedLock hold(*this);
    if (closed || FindRecord(name) >= 0)
        return;

    IconRecord record;
    memcpy(record.name, name, sizeof record.name);
    record.imageIndex = picture.width > 0 ? AddImages(picture) : -1;
    try {
        // Room for the pixels first, so that keeping them cannot fail once
        // the record is in.
        if (record.imageIndex >= 0 && sources.size() == sources.capacity())
            sources.reserve(sources.size() * 2 + 16);
        records.push_back(record);
        if (record.imageIndex >= 0) {
            ShrinkToKeep(picture);
            sources.push_back(std::move(picture));
            ++picturesRecorded;
        }
    } catch (const std::bad_alloc&) {
        // No record means the images would never be found: give them back.
        if (record.imageIndex >= 0) {
            ImageList_Remove(largeIcons, record.imageIndex);
            ImageList_Remove(smallIcons, record.imageIndex);
        }
    }
}

void IconCache::Add(const char* url, unsigned long deadlineMs)
{
    char name[264];
    char path[MAX_PATH];
    if (!NameNewPicture(url, name, path))
        return;

    // The download runs without the lock, so the UI thread never waits for
    // the network; a failed one leaves no file.
    if (!GetToFile(url, path, deadlineMs)) {
        if (deadlineMs >= pictureDeadlineMs) {
            ScopedLock hold(*this);
            failures.Failed(name, clock());
        }
        return;
    }
    {
        ScopedLock hold(*this);
        failures.Succeeded(name);
    }
    // Decoding and recording happen inside the gate: once it is closed the
    // program may shut GDI+ down.
    const WorkerGate::Pass pass(gate);
    if (pass.IsInside()) {
        PicturePixels picture;
        if (!DecodePicture(path, picture))
            picture = PicturePixels();
        Record(name, picture);
    }
    DeleteFileA(path);
}

void IconCache::AddAll(const std::vector<std::string>& urls)
{
    const ULONGLONG started = ::GetTickCount64();
    for (const std::string& url : urls) {
        const ULONGLONG spent = ::GetTickCount64() - started;
        if (spent >= pictureRoundMs)
            return;
        const ULONGLONG left = pictureRoundMs - spent;
        Add(url.c_str(), left < pictureDeadlineMs ? static_cast<unsigned long>(left) : pictureDeadlineMs);
    }
}

// One index must serve both lists: a half-made pair is undone and gives -1.
int IconCache::AddImages(const PicturePixels& picture)
{
    const OwnedBitmap large(ScaledBitmap(picture, largeSize, largeSize));
    const OwnedBitmap small(ScaledBitmap(picture, smallSize, smallSize));
    if (large.Get() == nullptr || small.Get() == nullptr)
        return -1;
    const int largeIndex = AddOneImage(largeIcons, large.Get());
    const int smallIndex = largeIndex >= 0 ? AddOneImage(smallIcons, small.Get()) : -1;
    if (largeIndex >= 0 && smallIndex == largeIndex)
        return smallIndex;
    if (largeIndex >= 0)
        ImageList_Remove(largeIcons, largeIndex);
    if (smallIndex >= 0)
        ImageList_Remove(smallIcons, smallIndex);
    return -1;
}

void IconCache::SetImageSizes(int small, int large)
{
    ScopedLock hold(*this);
    if (closed || (small == smallSize && large == largeSize))
        return;
    smallSize = small;
    largeSize = large;
    ImageList_SetIconSize(smallIcons, small, small);
    ImageList_SetIconSize(largeIcons, large, large);
    // Every index must come back as it was: past a picture that cannot be
    // made the later ones would shift, so they are left out and draw nothing.
    for (size_t index = 0; index < sources.size(); ++index) {
        if (AddImages(sources[index]) != static_cast<int>(index))
            break;
    }
}

int IconCache::IndexOf(const char* url) const
{
    char name[264];
    if (!IconFileName(url, name))
        return -1;
    ScopedLock hold(*this);
    int found = FindRecord(name);
    return found >= 0 ? records[found].imageIndex : -1;
}

std::vector<IconRecord> IconCache::Records() const
{
    ScopedLock hold(*this);
    try {
        return records;
    } catch (const std::bad_alloc&) {
        return std::vector<IconRecord>();
    }
}
