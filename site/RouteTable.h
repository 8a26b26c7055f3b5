#ifndef LARKSPUR_SITE_ROUTETABLE_H
#define LARKSPUR_SITE_ROUTETABLE_H

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "FormData.h"
#include "HttpMessage.h"

namespace site {

// A test's override for one path: its own answer (status, body, size,
// redirect) or the site's answer, either of them with a delay, a hold or a
// cut body.
struct Route {
    std::string path;
    std::optional<int> status;
    std::shared_ptr<const std::string> body;  // from body= or size=
    std::optional<std::string> type;
    std::optional<std::string> redirect;
    std::optional<std::string> cookie;
    int delayMs = 0;
    bool hang = false;
    long long stall = -1;
    long long drop = -1;
    int trickleMs = 0;
    int slowMs = 0;
    int remaining = -1;  // answers left; -1: until cleared

    bool HasOwnAnswer() const { return status || body || redirect; }
};

// Byte i of a generated body of size=N.
char GeneratedByte(std::size_t index);

// Reads the route parameters; an empty result is success, else the reason.
std::string ParseRoute(const FormData& parameters, Route& route);

class RouteTable {
public:
    void Set(Route route);
    // Removes one path's route, or all when path is empty.
    void Clear(const std::string& path);
    // The route for a path, counted as used once.
    std::optional<Route> Take(const std::string& path);

private:
    std::mutex mutex;
    std::map<std::string, Route> routes;
};

// The route's own answer.
HttpResponse RouteAnswer(const Route& route);
// Delay, hold, cut, cookie and type of a route laid over any answer.
void ApplyRouteDelivery(const Route& route, HttpResponse& response);

}  // namespace site

#endif
