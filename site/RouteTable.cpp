#include "RouteTable.h"

#include "HtmlText.h"
#include "Pages.h"

namespace site {

namespace {

const long long maxGeneratedSize = 512LL * 1024 * 1024;

}  // namespace

char GeneratedByte(std::size_t index)
{
    static const char alphabet[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    return alphabet[index % 62];
}

std::string ParseRoute(const FormData& parameters, Route& route)
{
    route = Route();
    route.path = parameters.Get("path");
    if (route.path.empty() || route.path[0] != '/') return "path must start with /";
    if (route.path.rfind("/__control", 0) == 0) return "control paths cannot be routed";
    long long value = 0;
    if (parameters.Has("status")) {
        if (!ReadInteger(parameters.Get("status"), 100, 599, value)) return "status must be 100 to 599";
        route.status = static_cast<int>(value);
    }
    if (parameters.Has("body") && parameters.Has("size")) return "body and size exclude each other";
    if (parameters.Has("body")) route.body = std::make_shared<const std::string>(parameters.Get("body"));
    if (parameters.Has("size")) {
        if (!ReadInteger(parameters.Get("size"), 0, maxGeneratedSize, value)) return "size out of range";
        std::string generated(static_cast<std::size_t>(value), '\0');
        for (std::size_t i = 0; i < generated.size(); ++i) generated[i] = GeneratedByte(i);
        route.body = std::make_shared<const std::string>(std::move(generated));
    }
    if (parameters.Has("type")) route.type = parameters.Get("type");
    if (parameters.Has("redirect")) {
        route.redirect = parameters.Get("redirect");
        if (route.redirect->empty()) return "redirect needs an address";
    }
    if (parameters.Has("cookie")) route.cookie = parameters.Get("cookie");
    if (parameters.Has("delay")) {
        if (!ReadInteger(parameters.Get("delay"), 0, 3600 * 1000, value)) return "delay must be 0 to 3600000 ms";
        route.delayMs = static_cast<int>(value);
    }
    if (parameters.Has("hang")) {
        std::string hang = parameters.Get("hang");
        if (hang != "0" && hang != "1") return "hang must be 0 or 1";
        route.hang = hang == "1";
    }
    if (parameters.Has("stall")) {
        if (!ReadInteger(parameters.Get("stall"), 0, maxGeneratedSize, value)) return "stall out of range";
        route.stall = value;
    }
    if (parameters.Has("drop")) {
        if (!ReadInteger(parameters.Get("drop"), 0, maxGeneratedSize, value)) return "drop out of range";
        route.drop = value;
    }
    if (route.stall >= 0 && route.drop >= 0) return "stall and drop exclude each other";
    if (parameters.Has("trickle")) {
        if (!ReadInteger(parameters.Get("trickle"), 1, 60000, value)) return "trickle must be 1 to 60000 ms";
        route.trickleMs = static_cast<int>(value);
    }
    if (parameters.Has("slow")) {
        if (!ReadInteger(parameters.Get("slow"), 1, 60000, value)) return "slow must be 1 to 60000 ms";
        route.slowMs = static_cast<int>(value);
        // A slow answer is a whole one: nothing else may shape its delivery.
        if (route.trickleMs > 0 || route.stall >= 0 || route.drop >= 0 || route.hang) {
            return "slow excludes trickle, stall, drop and hang";
        }
    }
    if (parameters.Has("count")) {
        if (!ReadInteger(parameters.Get("count"), 1, 1000000, value)) return "count must be 1 or more";
        route.remaining = static_cast<int>(value);
    }
    for (const auto& pair : parameters.Pairs()) {
        static const char* const known[] = {"path",  "status", "body", "size",  "type",    "redirect", "cookie",
                                            "delay", "hang",   "stall", "drop", "trickle", "slow",     "count"};
        bool isKnown = false;
        for (const char* name : known) isKnown = isKnown || pair.first == name;
        if (!isKnown) return "unknown parameter " + pair.first;
    }
    return std::string();
}

void RouteTable::Set(Route route)
{
    std::lock_guard<std::mutex> lock(mutex);
    std::string path = route.path;
    routes[path] = std::move(route);
}

void RouteTable::Clear(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (path.empty()) routes.clear();
    else routes.erase(path);
}

std::optional<Route> RouteTable::Take(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto found = routes.find(path);
    if (found == routes.end()) return std::nullopt;
    Route route = found->second;
    if (found->second.remaining > 0 && --found->second.remaining == 0) routes.erase(found);
    return route;
}

HttpResponse RouteAnswer(const Route& route)
{
    HttpResponse response;
    if (route.redirect) {
        response.status = route.status.value_or(302);
        response.SetHeader("Location", *route.redirect);
    } else {
        response.status = route.status.value_or(200);
    }
    if (route.body) {
        response.body = route.body;
        response.SetHeader("Content-Type", "text/html; charset=utf-8");
    } else if (route.redirect) {
        response.SetBody("<html><body><a href=\"" + EscapeHtml(*route.redirect) + "\">moved</a></body></html>\n",
                         "text/html; charset=utf-8");
    } else {
        response.SetBody(SimpleMessagePage(response.status, "routed answer"), "text/html; charset=utf-8");
    }
    return response;
}

void ApplyRouteDelivery(const Route& route, HttpResponse& response)
{
    if (route.type) response.SetHeader("Content-Type", *route.type);
    if (route.cookie) response.AddHeader("Set-Cookie", *route.cookie);
    response.delivery.delayMs = route.delayMs;
    response.delivery.hang = route.hang;
    response.delivery.trickleMs = route.trickleMs;
    response.delivery.slowMs = route.slowMs;
    if (route.stall >= 0) {
        response.delivery.cutAfter = route.stall;
        response.delivery.closeAtCut = false;
    } else if (route.drop >= 0) {
        response.delivery.cutAfter = route.drop;
        response.delivery.closeAtCut = true;
    }
}

}  // namespace site
