#ifndef LARKSPUR_NET_STATUSUPDATE_H
#define LARKSPUR_NET_STATUSUPDATE_H

// Size of the text buffer a status-post thread is handed.
const int statusBufferSize = 300;

// Failed posts whose texts wait to be given back, at most: the window side
// takes them back each second, so only a user who keeps typing while post
// after post fails fills it; the newest failures are then not kept.
const int failedPostCapacity = 16;

// Posts a status (system code page) with the session's token and, when the
// answer is neither the refusal nor the duplicate page and no fetch cycle
// runs, scrapes the answer page into the timeline. Blocking. A post that
// fails (no answer, another status than 200, an empty page or the refusal
// page) queues its text for TakeFailedPost; a duplicate is no failure, the
// service has the text. A refusal also empties the session's token (the
// service forgot the session), so the next fetch signs in again.
void PostStatus(const char* text);

// Takes the oldest failed text waiting into text; false when none waits.
// For the window side's tick; the workers never touch a window.
bool TakeFailedPost(char (&text)[statusBufferSize]);

// How many posts have failed, and how many were started, since the process
// began: the window side notes changes between its ticks.
unsigned PostsFailed();
unsigned PostsStarted();

// Thread entry for _beginthread: posts the status in the heap buffer of
// statusBufferSize bytes it is given (from malloc), then frees the buffer.
void __cdecl PostStatusThread(void* text);

// Starts a detached status-post thread that owns a heap copy of text (cut to
// at most statusBufferSize - 1 bytes between two characters). False when the
// thread could not be started; the copy is freed on that path too.
bool StartStatusPost(const char* text);

#endif
