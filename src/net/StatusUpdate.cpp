#include "StatusUpdate.h"

#include "CodePageConversion.h"
#include "FormEncoding.h"
#include "HttpTransport.h"
#include "PageText.h"
#include "ServiceSession.h"
#include "TimelineModel.h"
#include "WebAddress.h"

#include "CodePage.h"
#include "CriticalSection.h"

#include <process.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// The service's refusal (no valid session or token) and its duplicate page.
const char refusalMarker[] = "403 Forbidden: The server understood";
const char duplicateMarker[] = "同じことをすでにツイートしています。";

// The failed texts in the order they failed, a ring under the lock.
CCriticalSection failedLock;
char failedTexts[failedPostCapacity][statusBufferSize];
int failedFirst = 0;
int failedCount = 0;
std::atomic<unsigned> postsFailed{0};
std::atomic<unsigned> postsStarted{0};

// Copies at most size - 1 bytes of text, cut between two characters.
void CopyWhole(char* out, int size, const char* text)
{
    const int length = static_cast<int>(std::strlen(text));
    int end = 0;
    while (end < length) {
        const int next = end + CharacterSize(text, length, end);
        if (next > size - 1)
            break;
        end = next;
    }
    std::memcpy(out, text, static_cast<size_t>(end));
    out[end] = 0;
}

void RecordFailure(const char* text)
{
    {
        CLock guard(failedLock);
        if (failedCount < failedPostCapacity) {
            CopyWhole(failedTexts[(failedFirst + failedCount) % failedPostCapacity], statusBufferSize, text);
            ++failedCount;
        }
    }
    ++postsFailed;
}

} // namespace

bool TakeFailedPost(char (&text)[statusBufferSize])
{
    CLock guard(failedLock);
    if (failedCount == 0)
        return false;
    std::memcpy(text, failedTexts[failedFirst], sizeof text);
    failedFirst = (failedFirst + 1) % failedPostCapacity;
    --failedCount;
    return true;
}

unsigned PostsFailed()
{
    return postsFailed.load();
}

unsigned PostsStarted()
{
    return postsStarted.load();
}

void PostStatus(const char* text)
{
    // 140 characters of the system code page take at most 420 UTF-8 bytes;
    // anything longer is cut at 511 bytes.
    char utf8[512];
    utf8[0] = 0;
    ConvertCodePage(text, utf8, sizeof utf8, AnsiToUtf8);

    ServiceSession::Text token;
    serviceSession.GetToken(token);
    CString form("authenticity_token=");
    form += FormEncode(token);
    form += "&status=";
    form += FormEncode(utf8);

    CString answer;
    int status = 0;
    PostForm(StatusUpdateAddress(), form, answer, &status);
    ConvertPageFromUtf8(answer);
    if (answer.Find(refusalMarker) >= 0) {
        serviceSession.SetToken("");
        RecordFailure(text);
        return;
    }
    if (answer.Find(duplicateMarker) >= 0)
        return;
    if (status != 200 || answer.IsEmpty())
        RecordFailure(text);
    if (serviceSession.fetchBusy.load() == 0)
        ScrapeTimelinePage(answer);
}

void __cdecl PostStatusThread(void* text)
{
    PostStatus(static_cast<const char*>(text));
    std::free(text);
}

bool StartStatusPost(const char* text)
{
    char* copy = static_cast<char*>(std::calloc(statusBufferSize, 1));
    if (copy == nullptr)
        return false;
    CopyWhole(copy, statusBufferSize, text);
    if (_beginthread(PostStatusThread, 0, copy) == static_cast<uintptr_t>(-1L)) {
        std::free(copy);
        return false;
    }
    ++postsStarted;
    return true;
}
