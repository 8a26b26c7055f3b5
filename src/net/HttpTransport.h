#ifndef LARKSPUR_NET_HTTPTRANSPORT_H
#define LARKSPUR_NET_HTTPTRANSPORT_H

#include "CString.h"

// The program's only road to the network: three blocking requests over
// WinINet, all made by one exchange. Each call opens and closes its own
// handles; only the platform's cookie store and connection reuse outlive it.
// Safe on any thread.
//
// Every request has one overall deadline, from the first connect to the last
// byte of the last redirect: past it, or with a body that ended early (a
// stall, a cut connection, fewer bytes than its Content-Length), the request
// has failed, and no part of its answer is handed on. A request is secure
// when its address is https, as every hop of a redirect is.

// Overall deadlines, in milliseconds.
const unsigned long pictureDeadlineMs = 20000; // GetToFile, also 1 MiB at most
const unsigned long pageDeadlineMs = 60000;    // GetToString (the home page)
const unsigned long formDeadlineMs = 30000;    // PostForm (front page, sign-in, status)

// Downloads url into the file at path (created or truncated). Nonzero when the
// request was answered "200" and the whole body, at most 1 MiB, arrived
// within deadlineMs (at most pictureDeadlineMs); the file is written only
// then, so a failed download leaves no file and an existing one untouched.
int GetToFile(const char* url, const char* path, unsigned long deadlineMs = pictureDeadlineMs);

// Downloads url into text. Returns the HTTP status code; the body is read
// only for status 200, otherwise text is left empty. A failed request (no
// answer, past its deadline, a body cut short) gives 0 and empty text.
int GetToString(const char* url, CString& text);

// Posts an already form-encoded body to url and reads the whole answer,
// whatever its status, into text. True when the request could be made at all
// (the URL split); says nothing of the answer. When status is given it
// receives the final answer's HTTP status: 0 when the request failed, and
// text is then empty.
bool PostForm(const char* url, const char* body, CString& text, int* status = nullptr);

#endif
