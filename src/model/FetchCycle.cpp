#include "FetchCycle.h"

#include "Account.h"
#include "IconCache.h"
#include "ServiceSession.h"
#include "SignIn.h"
#include "TimelineDownload.h"
#include "TimelineModel.h"
#include "WorkerGate.h"

#include <windows.h>
#include <process.h>

namespace {

// The third unanswered sign-in in a row is told as a failed login, so a site
// whose secure pages are blocked is still reported within three reloads.
const int unansweredSignInsReported = 3;

// Lowers fetchBusy however the cycle ends.
class BusyGuard {
public:
    BusyGuard() = default;
    ~BusyGuard() { serviceSession.fetchBusy = 0; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
};

// A sign-in, or a page after it, that never reached the site: quiet, unless
// it is the third in a row. Inside Deliver.
void NoteUnansweredSignIn()
{
    serviceSession.SetToken("");
    if (++serviceSession.signInsUnanswered >= unansweredSignInsReported) {
        serviceSession.signInsUnanswered = 0;
        serviceSession.loginState = LoginFailed;
    }
}

// Takes a sign-in's result over; true when the cycle goes on. Inside Deliver.
bool TakeSignIn(const SignInResult& signIn)
{
    switch (signIn.outcome) {
    case SignInOutcome::SignedIn:
        serviceSession.SetToken(signIn.token);
        return true;
    case SignInOutcome::Refused:
        serviceSession.SetToken("");
        serviceSession.signInsUnanswered = 0;
        serviceSession.loginState = LoginFailed;
        return false;
    case SignInOutcome::NoAnswer:
        NoteUnansweredSignIn();
        return false;
    }
    return false;
}

void __cdecl FetchThread(void*)
{
    RunTimelineFetch();
}

} // namespace

void RunTimelineFetch()
{
    const BusyGuard busy;
    const unsigned epoch = AccountEpoch();

    const bool signsIn = !serviceSession.HasToken();
    if (signsIn) {
        ServiceSession::Text user;
        ServiceSession::Text password;
        serviceSession.GetUser(user);
        serviceSession.GetPassword(password);
        const SignInResult signIn = SignIn(user, password);
        bool goOn = false;
        Deliver(epoch, [&] { goOn = TakeSignIn(signIn); });
        if (!goOn)
            return;
    }

    const TimelineDownload download = DownloadTimeline();
    if (download.overloaded && !download.signedOut) {
        if (ShutdownGate().IsClosed())
            return;
        // No owner: the worker waits for the user while the window goes on,
        // and no cycle starts until the box is closed.
        MessageBoxA(nullptr, "[ERROR] サーバがいっぱいです。", "エラー", MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::vector<std::string> pictures;
    const bool delivered = Deliver(epoch, [&] {
        if (download.signedOut) {
            // Just signed in, yet the site sees no session: the sign-in never
            // took (a secure post blocked while plain pages work). Otherwise
            // the site forgot the session: the next cycle signs in again.
            if (signsIn)
                NoteUnansweredSignIn();
            else
                serviceSession.SetToken("");
            return;
        }
        ScrapeTimelinePage(download.page, pictures);
        if (download.status == 200) {
            serviceSession.signInsUnanswered = 0;
            ++serviceSession.timelinesFetched;
        }
    });
    if (delivered)
        Icons().AddAll(pictures);
}

bool StartTimelineFetch()
{
    if (serviceSession.fetchBusy.exchange(1) != 0)
        return false;
    if (_beginthread(FetchThread, 0, nullptr) == static_cast<uintptr_t>(-1L)) {
        serviceSession.fetchBusy = 0;
        return false;
    }
    return true;
}
