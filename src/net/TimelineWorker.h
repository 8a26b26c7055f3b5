#ifndef LARKSPUR_NET_TIMELINEWORKER_H
#define LARKSPUR_NET_TIMELINEWORKER_H

// One timeline fetch cycle: sign in when there is no token, download the home
// page, recognise the overload page, scrape. A sign-in that the site refused,
// or one followed by the signed-out front page, ends the cycle as a failed
// login. Reports only through the session's flags. Thread entry for
// _beginthread; takes no argument.
void __cdecl RunTimelineFetch(void* unused);

// Starts RunTimelineFetch on a detached thread. False when it could not start
// (fetchBusy is then lowered again, so the next tick retries).
bool StartTimelineFetch();

#endif
