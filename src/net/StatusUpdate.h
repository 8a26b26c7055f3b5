#ifndef LARKSPUR_NET_STATUSUPDATE_H
#define LARKSPUR_NET_STATUSUPDATE_H

#include "CString.h"

// Size of the text buffer a status post is handed: at most 299 bytes.
const int statusBufferSize = 300;

// How the site answered a status post.
enum class PostOutcome {
    Posted,    // a timeline page: the status is in
    Duplicate, // the site has this text already; nothing is lost
    Refused,   // the refusal page: no valid session or token
    SignedOut, // the signed-out front page: the session is gone
    Failed     // no answer, another status than 200, or an empty page
};

struct PostResult {
    PostOutcome outcome = PostOutcome::Failed;
    CString answer; // the answer page in the system code page
};

// Posts a status (system code page, at most statusBufferSize - 1 bytes) to
// the status form with token; inReplyTo, when not empty, names the status it
// answers. Blocking; changes nothing of the program's own.
PostResult PostStatus(const char* text, const char* token, const char* inReplyTo = nullptr);

#endif
