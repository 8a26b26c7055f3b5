#ifndef LARKSPUR_NET_STATUSUPDATE_H
#define LARKSPUR_NET_STATUSUPDATE_H

// Size of the text buffer a status-post thread is handed.
const int statusBufferSize = 300;

// Posts a status (system code page) with the session's token and, when the
// answer is neither the refusal nor the duplicate page and no fetch cycle
// runs, scrapes the answer page into the timeline. Blocking; tells nobody.
void PostStatus(const char* text);

// Thread entry for _beginthread: posts the status in the heap buffer of
// statusBufferSize bytes it is given (from malloc), then frees the buffer.
void __cdecl PostStatusThread(void* text);

// Starts a detached status-post thread that owns a heap copy of text (cut to
// statusBufferSize - 1 bytes). False when the thread could not be started;
// the copy is freed on that path too.
bool StartStatusPost(const char* text);

#endif
