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
    // Noted before the account is read: the settings command changes the
    // account before it starts the store over, so a page fetched for an
    // account the user has left meanwhile is never scraped.
    const unsigned generation = TimelineGeneration();

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
    const bool signedOut = IsSignedOutPage(page);
    if (signedOut && signsIn) {
        // The sign-in post raised no failure text, yet the site still sees no
        // session: the secure post never got through (TLS refused or
        // intercepted) while plain HTTP works. That is a failed login, not a
        // cycle to repeat quietly for ever.
        serviceSession.SetToken("");
        serviceSession.fetchBusy = 0;
        serviceSession.loginState = LoginFailed;
        return;
    }
    // The service forgot the session (a restart, an expired cookie): the next
    // cycle signs in again.
    if (signedOut)
        serviceSession.SetToken("");

    if (page.Find("Twitter is over capacity.") >= 0) {
        if (ShutdownGate().IsClosed())
            return;
        // No owner: the worker waits for the user while the window goes on.
        MessageBoxA(nullptr, "[ERROR] サーバがいっぱいです。", "エラー", MB_OK | MB_ICONINFORMATION);
        serviceSession.fetchBusy = 0;
        return;
    }
    ScrapeTimelinePage(page, generation);
    // The account changed during the cycle: whatever it signed in as, the
    // next cycle signs in anew.
    if (TimelineGeneration() != generation)
        serviceSession.SetToken("");
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
