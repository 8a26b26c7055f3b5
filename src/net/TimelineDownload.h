#ifndef LARKSPUR_NET_TIMELINEDOWNLOAD_H
#define LARKSPUR_NET_TIMELINEDOWNLOAD_H

#include "CString.h"

// The home page as one fetch cycle downloaded it.
struct TimelineDownload {
    int status = 0;      // the HTTP status; 0 when the download failed
    CString page;        // in the system code page; empty when none came
    bool signedOut = false;  // the signed-out front page: no session
    bool overloaded = false; // the site's overload page
};

// Downloads the home timeline from the web base address and converts it
// from UTF-8. Blocking; changes nothing of the program's own.
TimelineDownload DownloadTimeline();

#endif
