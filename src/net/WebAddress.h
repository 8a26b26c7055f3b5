#ifndef LARKSPUR_NET_WEBADDRESS_H
#define LARKSPUR_NET_WEBADDRESS_H

// The service's addresses, all made from the build setting LARKSPUR_WEB_HOST
// (host or host:port).

// "http://HOST/": the home timeline, the front page, author pages.
const char* WebBaseAddress();
// "https://HOST/sessions": the sign-in form.
const char* SignInAddress();
// "http://HOST/status/update": the status form.
const char* StatusUpdateAddress();

#endif
