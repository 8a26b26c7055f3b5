// larkspur-site: the service simulator. See site/README.md.
#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Server.h"

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    site::ServerOptions options;
    bool wantsHelp = false;
    std::string error;
    if (!site::ParseCommandLine(arguments, options, wantsHelp, error)) {
        std::fprintf(stderr, "larkspur-site: %s\n%s", error.c_str(), site::UsageText());
        return 2;
    }
    if (wantsHelp) {
        std::fputs(site::UsageText(), stdout);
        return 0;
    }
    site::Server server(options);
    if (!server.Start(error)) {
        std::fprintf(stderr, "larkspur-site: %s\n", error.c_str());
        return 1;
    }
    server.StopOnSignals();
    // Scripts wait for exactly this line before they connect.
    std::printf("listening on port %u\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);
    server.Run();
    return 0;
}
