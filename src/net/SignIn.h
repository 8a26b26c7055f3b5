#ifndef LARKSPUR_NET_SIGNIN_H
#define LARKSPUR_NET_SIGNIN_H

#include "CString.h"

// Signs in the way a browser does: scrapes the anti-forgery token from the
// front page, keeps it in the session's token (also when empty) and posts the
// login form over https, user name and password in UTF-8 as the site reads
// its forms. False only when the answer carries one of the service's failure
// texts; an empty answer is no proof either way (the fetch cycle judges by
// the page that follows). The signed-in state itself lives in the cookies the
// platform keeps. Blocking.
bool SignIn(const char* user, const char* password);

// True for the signed-out front page: it holds a form that posts to the
// sign-in address and no status block. (A signed-in page may carry a token
// field of its own, so the token alone proves nothing.) page is in the
// system code page.
bool IsSignedOutPage(const CString& page);

#endif
