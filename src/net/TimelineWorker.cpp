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

    if (!serviceSession.HasToken()) {
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
    GetToString(WebBaseAddress(), page);
    ConvertPageFromUtf8(page);

    if (page.Find("Twitter is over capacity.") >= 0) {
        if (ShutdownGate().IsClosed())
            return;
        // No owner: the worker waits for the user while the window goes on.
        MessageBoxA(nullptr, "[ERROR] サーバがいっぱいです。", "エラー", MB_OK | MB_ICONINFORMATION);
        serviceSession.fetchBusy = 0;
        return;
    }
    ScrapeTimelinePage(page);
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
