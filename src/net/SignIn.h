#ifndef LARKSPUR_NET_SIGNIN_H
#define LARKSPUR_NET_SIGNIN_H

#include "CString.h"

// How a sign-in ended.
enum class SignInOutcome {
    SignedIn,  // the site answered, with none of its failure texts
    Refused,   // the answer carries a failure text: wrong account or password
    NoAnswer   // the front page or the sign-in post got no answer at all
};

struct SignInResult {
    SignInOutcome outcome = SignInOutcome::NoAnswer;
    // The anti-forgery token scraped from the front page (empty when the
    // page had none); the status form sends it again.
    CString token;
};

// Signs in the way a browser does: scrapes the anti-forgery token from the
// front page and posts the login form over https, user name and password in
// UTF-8 as the site reads its forms. The signed-in state itself lives in the
// cookies the platform keeps. Changes nothing of the program's own: the
// caller takes the result over. Blocking.
SignInResult SignIn(const char* user, const char* password);

// True for the signed-out front page: it holds a form that posts to the
// sign-in address and no status block. (A signed-in page may carry a token
// field of its own, so the token alone proves nothing.) page is in the
// system code page.
bool IsSignedOutPage(const CString& page);

#endif
