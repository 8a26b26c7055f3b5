#ifndef LARKSPUR_NET_HTTPTRANSPORT_H
#define LARKSPUR_NET_HTTPTRANSPORT_H

#include "CString.h"

// The program's only road to the network: three blocking requests over
// WinINet. Each call opens and closes its own handles; only the platform's
// cookie store and connection reuse outlive it. Safe on any thread.

// Both GETs go out secure when url is https. Besides the time-out of each
// read, a whole download has a deadline, counted from the request.

// Downloads url into the file at path (created or truncated). Nonzero when the
// request was answered "200", the file was opened and the whole body, at most
// 1 MiB, arrived within 20 s. Any failure removes the file it opened.
int GetToFile(const char* url, const char* path);

// Downloads url into text. Returns the HTTP status code (0 when none was
// read); the body is read only for status 200, otherwise text is left empty.
// A body still arriving after 60 s is a failed download: 0 and empty text.
int GetToString(const char* url, CString& text);

// Posts an already form-encoded body to url and reads the whole answer,
// whatever its status, into text. True when the request could be made at all
// (the URL split and the buffer allocated); says nothing of the answer. When
// status is given it receives the final answer's HTTP status (0: none).
bool PostForm(const char* url, const char* body, CString& text, int* status = nullptr);

#endif
