#ifndef LARKSPUR_SITE_DEMOCONTENT_H
#define LARKSPUR_SITE_DEMOCONTENT_H

#include <cstddef>
#include <string>

#include "SiteState.h"

namespace site {

// The account every mode has: user "demo", password "demo".
void SeedBaseAccounts(SiteState& state);

// The demo mode's users and their statuses, written over the hours before `now`.
void SeedDemoContent(SiteState& state, long long now);

// The demo ticker's n-th status: who writes it and what.
void DemoTickerStatus(std::size_t n, std::string& user, std::string& text);

}  // namespace site

#endif
