#include "CommandLine.h"

#include "FormData.h"

namespace site {


const char* UsageText()
{
    return "usage: larkspur-site --port N [--bind ADDR] --data DIR [--demo] [--demo-interval SECONDS]\n"
           "  --port N            port for both http and https (0: any free port)\n"
           "  --bind ADDR         listen on ADDR only (default 127.0.0.1 and ::1)\n"
           "  --data DIR          folder with server.crt and server.key; requests.log is written there\n"
           "  --demo              seed demo users and statuses and add a status every interval\n"
           "  --demo-interval S   seconds between demo statuses (default 5)\n";
}

bool ParseCommandLine(const std::vector<std::string>& arguments, ServerOptions& options, bool& wantsHelp,
                      std::string& error)
{
    wantsHelp = false;
    bool havePort = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // Options take their value as the next argument or after '='.
        std::string name = argument, value;
        bool inlineValue = false;
        std::size_t equals = argument.find('=');
        if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            inlineValue = true;
        }
        auto takeValue = [&]() {
            if (inlineValue) return true;
            if (i + 1 >= arguments.size()) {
                error = name + " needs a value";
                return false;
            }
            value = arguments[++i];
            return true;
        };
        long long number = 0;
        if (name == "--help" || name == "-h") {
            wantsHelp = true;
            return true;
        } else if (name == "--demo" && !inlineValue) {
            options.demo = true;
        } else if (name == "--port") {
            if (!takeValue()) return false;
            if (!ReadInteger(value, 0, 65535, number)) {
                error = "--port must be 0 to 65535";
                return false;
            }
            options.port = static_cast<unsigned short>(number);
            havePort = true;
        } else if (name == "--bind") {
            if (!takeValue()) return false;
            options.bind = value;
        } else if (name == "--data") {
            if (!takeValue()) return false;
            options.dataDir = value;
        } else if (name == "--demo-interval") {
            if (!takeValue()) return false;
            if (!ReadInteger(value, 1, 86400, number)) {
                error = "--demo-interval must be 1 to 86400 seconds";
                return false;
            }
            options.demoIntervalSeconds = static_cast<int>(number);
        } else {
            error = "unknown argument " + argument;
            return false;
        }
    }
    if (!havePort) {
        error = "--port is required";
        return false;
    }
    if (options.dataDir.empty()) {
        error = "--data is required";
        return false;
    }
    return true;
}

}  // namespace site
