#include "TimelineWorker.h"

#include "HttpTransport.h"
#include "PageText.h"
#include "ServiceSession.h"
#include "SignIn.h"
#include "TimelineModel.h"
#include "WorkerGate.h"
#include "WebAddress.h"

#include <windows.h>
#include <process.h>

void __cdecl RunTimelineFetch(void*)
{
    serviceSession.fetchBusy = 1;

    const bool signsIn = !serviceSession.HasToken();
    if (signsIn) {
        ServiceSession::Text user;
        ServiceSession::Text password;
        serviceSession.GetUser(user);
        serviceSession.GetPassword(password);
        if (!SignIn(user, password)) {
            serviceSession.SetToken("");
            serviceSession.fetchBusy = 0;
            serviceSession.loginState = LoginFailed;
            return;
        }
    }

    CString page;
    const int status = GetToString(WebBaseAddress(), page);
    ConvertPageFromUtf8(page);
    // The service forgot the session (a restart, an expired cookie): the next
    // cycle signs in again. A cycle that has just signed in leaves it, so no
    // cycle signs in twice in a row for nothing.
    const bool signedOut = IsSignedOutPage(page);
    if (signedOut && !signsIn)
        serviceSession.SetToken("");

    if (page.Find("Twitter is over capacity.") >= 0) {
        if (ShutdownGate().IsClosed())
            return;
        // No owner: the worker waits for the user while the window goes on.
        MessageBoxA(nullptr, "[ERROR] サーバがいっぱいです。", "エラー", MB_OK | MB_ICONINFORMATION);
        serviceSession.fetchBusy = 0;
        return;
    }
    ScrapeTimelinePage(page);
    if (status == 200 && !signedOut)
        ++serviceSession.timelinesFetched;
    serviceSession.fetchBusy = 0;
}

bool StartTimelineFetch()
{
    if (_beginthread(RunTimelineFetch, 0, nullptr) == static_cast<uintptr_t>(-1L)) {
        serviceSession.fetchBusy = 0;
        return false;
    }
    return true;
}
