#ifndef LARKSPUR_MODEL_FETCHCYCLE_H
#define LARKSPUR_MODEL_FETCHCYCLE_H

// One timeline fetch cycle on a detached thread: sign in when there is no
// token, download the home page, recognise the overload page, scrape, then
// fetch the new pictures. Reports only through the session's flags and the
// store, for the account it started for.
//
// Starts a cycle unless one runs: raises fetchBusy itself (the cycle lowers
// it on every exit), so two starts never make two cycles. False when a cycle
// runs already or the thread could not start (fetchBusy is then down again).
bool StartTimelineFetch();

// The cycle itself, on the calling thread; fetchBusy must have been raised
// by the caller (StartTimelineFetch does).
void RunTimelineFetch();

#endif
