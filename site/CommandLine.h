#ifndef LARKSPUR_SITE_COMMANDLINE_H
#define LARKSPUR_SITE_COMMANDLINE_H

#include <string>
#include <vector>

#include "Server.h"

namespace site {

// larkspur-site --port N [--bind ADDR] --data DIR [--demo] [--demo-interval SECONDS]
// Returns false with the reason in `error`; `wantsHelp` is set for --help.
bool ParseCommandLine(const std::vector<std::string>& arguments, ServerOptions& options, bool& wantsHelp,
                      std::string& error);

const char* UsageText();

}  // namespace site

#endif
