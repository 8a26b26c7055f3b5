#ifndef LARKSPUR_NET_WEBADDRESS_H
#define LARKSPUR_NET_WEBADDRESS_H

// The service's addresses, all made from the build settings LARKSPUR_WEB_HOST
// (host or host:port) and LARKSPUR_WEB_SCHEME (https unless the site has no
// TLS): the session's cookie and token never travel in clear.

// "SCHEME://HOST/": the home timeline, the front page, author pages and tag
// searches.
const char* WebBaseAddress();
// "https://HOST/sessions": the sign-in form, over TLS whatever the scheme.
const char* SignInAddress();
// "SCHEME://HOST/status/update": the status form.
const char* StatusUpdateAddress();

#endif
