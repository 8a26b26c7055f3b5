#ifndef LARKSPUR_MODEL_STATUSPOSTS_H
#define LARKSPUR_MODEL_STATUSPOSTS_H

#include <string>
#include <vector>

// Status posts, each on a detached thread of its own, and the texts of the
// posts that failed, kept until the window side takes them back: nothing the
// user wrote is lost.

// A failed post: its text (system code page) and the status it answered
// ("" for none).
struct FailedPost {
    std::string text;
    std::string inReplyTo;
};

// Starts a status post of text (cut to at most 299 bytes between two
// characters) for the account of now; inReplyTo, when not empty, is the id
// of the status it answers. The post scrapes its answer page into the
// timeline when no fetch cycle runs. A post that fails (no answer, another
// status than 200, an empty page, the refusal page or the signed-out front
// page) keeps its text for TakeFailedPost; the last two also drop the token,
// so the next fetch signs in again. A duplicate is no failure: the site has
// the text. False when the thread could not be started.
bool StartStatusPost(const char* text, const char* inReplyTo = "");

// What a post thread runs, on the calling thread: the post for the account
// of now, its answer scraped or its text kept as StartStatusPost tells.
void RunStatusPost(const char* text, const char* inReplyTo = "");

// Takes the oldest failed post waiting; false when none waits.
bool TakeFailedPost(FailedPost& post);

// Puts a failed post back in the queue, as the oldest one: for texts kept
// from an earlier run of the program.
void KeepFailedPost(const FailedPost& post);

// Failed posts waiting now, oldest first (for saving them at exit).
void WaitingFailedPosts(std::vector<FailedPost>& posts);

// How many posts have failed, and how many were started, since the process
// began: the window side notes changes between its ticks.
unsigned PostsFailed();
unsigned PostsStarted();

#endif
