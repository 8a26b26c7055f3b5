#include "StatusUpdate.h"

#include "CodePageConversion.h"
#include "FormEncoding.h"
#include "HttpTransport.h"
#include "PageText.h"
#include "ServiceSession.h"
#include "TimelineModel.h"
#include "WebAddress.h"

#include <process.h>

#include <cstdlib>
#include <cstring>

namespace {

const char* const rejectionMarkers[] = {
    "403 Forbidden: The server understood",
    "同じことをすでにツイートしています。",
};

} // namespace

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
    PostForm(StatusUpdateAddress(), form, answer);
    ConvertPageFromUtf8(answer);
    if (ContainsAny(answer, rejectionMarkers, sizeof rejectionMarkers / sizeof rejectionMarkers[0]))
        return;
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
