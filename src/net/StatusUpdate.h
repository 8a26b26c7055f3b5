#ifndef LARKSPUR_NET_STATUSUPDATE_H
#define LARKSPUR_NET_STATUSUPDATE_H

// Size of the text buffer a status-post thread is handed.
const int statusBufferSize = 300;

// How a post ended, as the window side learns it.
enum PostResult {
    PostNone = 0,      // nothing recorded since the last look
    PostPosted = 1,    // a 200 answer that is neither the refusal nor the duplicate page
    PostDuplicate = 2, // the service has the text already: nothing to give back
    PostFailed = 3     // no answer, another status, or the refusal page
};

struct PostOutcome {
    PostResult result;
    char text[statusBufferSize]; // the text of a failed post, to give back
};

// Posts a status (system code page) with the session's token and, when the
// answer is neither the refusal nor the duplicate page and no fetch cycle
// runs, scrapes the answer page into the timeline. Blocking. Records its
// outcome for TakePostOutcome; a refusal also empties the session's token
// (the service forgot the session), so the next fetch signs in again.
void PostStatus(const char* text);

// The newest outcome recorded since the last call (several posts ending
// between two calls: the last to end); PostNone when there is none. For the
// window side's tick; the workers never touch a window.
PostOutcome TakePostOutcome();

// Thread entry for _beginthread: posts the status in the heap buffer of
// statusBufferSize bytes it is given (from malloc), then frees the buffer.
void __cdecl PostStatusThread(void* text);

// Starts a detached status-post thread that owns a heap copy of text (cut to
// statusBufferSize - 1 bytes). False when the thread could not be started;
// the copy is freed on that path too.
bool StartStatusPost(const char* text);

#endif
