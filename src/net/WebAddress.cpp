#include "WebAddress.h"

#ifndef LARKSPUR_WEB_HOST
#error "LARKSPUR_WEB_HOST must name the service's web host"
#endif
#ifndef LARKSPUR_WEB_SCHEME
#error "LARKSPUR_WEB_SCHEME must name the scheme of the site's pages"
#endif

const char* WebBaseAddress()
{
    return LARKSPUR_WEB_SCHEME "://" LARKSPUR_WEB_HOST "/";
}

const char* SignInAddress()
{
    return "https://" LARKSPUR_WEB_HOST "/sessions";
}

const char* StatusUpdateAddress()
{
    return LARKSPUR_WEB_SCHEME "://" LARKSPUR_WEB_HOST "/status/update";
}
