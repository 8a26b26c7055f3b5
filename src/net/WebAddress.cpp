#include "WebAddress.h"

#ifndef LARKSPUR_WEB_HOST
#error "LARKSPUR_WEB_HOST must name the service's web host"
#endif

const char* WebBaseAddress()
{
    return "http://" LARKSPUR_WEB_HOST "/";
}

const char* SignInAddress()
{
    return "https://" LARKSPUR_WEB_HOST "/sessions";
}

const char* StatusUpdateAddress()
{
    return "http://" LARKSPUR_WEB_HOST "/status/update";
}
