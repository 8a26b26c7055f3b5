#include "TimelineDownload.h"

#include "HttpTransport.h"
#include "PageText.h"
#include "SignIn.h"
#include "WebAddress.h"

TimelineDownload DownloadTimeline()
{
    TimelineDownload download;
    download.status = GetToString(WebBaseAddress(), download.page);
    ConvertPageFromUtf8(download.page);
    download.signedOut = IsSignedOutPage(download.page);
    download.overloaded = download.page.Find("Twitter is over capacity.") >= 0;
    return download;
}
