#include "StatusUpdate.h"

#include "CodePageConversion.h"
#include "FormEncoding.h"
#include "HttpTransport.h"
#include "PageText.h"
#include "ServiceSession.h"
#include "TimelineModel.h"
#include "WebAddress.h"

#include "CriticalSection.h"

#include <process.h>

#include <cstdlib>
#include <cstring>

namespace {

// The service's refusal (no valid session or token) and its duplicate page.
const char refusalMarker[] = "403 Forbidden: The server understood";
const char duplicateMarker[] = "同じことをすでにツイートしています。";

// The newest outcome, kept whole under the lock.
CCriticalSection outcomeLock;
PostOutcome newestOutcome = {PostNone, ""};

void RecordOutcome(PostResult result, const char* text)
{
    CLock guard(outcomeLock);
    newestOutcome.result = result;
    std::strncpy(newestOutcome.text, result == PostFailed ? text : "", sizeof newestOutcome.text - 1);
    newestOutcome.text[sizeof newestOutcome.text - 1] = 0;
}

} // namespace

PostOutcome TakePostOutcome()
{
    CLock guard(outcomeLock);
    const PostOutcome taken = newestOutcome;
    newestOutcome.result = PostNone;
    newestOutcome.text[0] = 0;
    return taken;
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
        RecordOutcome(PostFailed, text);
        return;
    }
    if (answer.Find(duplicateMarker) >= 0) {
        RecordOutcome(PostDuplicate, text);
        return;
    }
    RecordOutcome(status == 200 && !answer.IsEmpty() ? PostPosted : PostFailed, text);
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
    std::strncpy(copy, text, statusBufferSize - 1);
    if (_beginthread(PostStatusThread, 0, copy) == static_cast<uintptr_t>(-1L)) {
        std::free(copy);
        return false;
    }
    return true;
}
