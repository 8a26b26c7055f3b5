#include "Site.h"

#include "DemoContent.h"
#include "HtmlText.h"
#include "TimeText.h"

namespace site {

HttpResponse HtmlAnswer(int status, std::string page)
{
    HttpResponse response;
    response.status = status;
    response.SetBody(std::move(page), "text/html; charset=utf-8");
    // Wine's HTTP layer keeps answers in its cache unless told not to.
    response.SetHeader("Cache-Control", "no-store");
    return response;
}

HttpResponse TextAnswer(int status, std::string text)
{
    HttpResponse response;
    response.status = status;
    response.SetBody(std::move(text), "text/plain; charset=utf-8");
    response.SetHeader("Cache-Control", "no-store");
    return response;
}

std::string AbsoluteAddress(const std::string& address, const Origin& origin)
{
    if (!address.empty() && address[0] == '/') return origin.scheme + "://" + origin.host + address;
    return address;
}

bool IsScreenName(const std::string& name)
{
    if (name.empty() || name.size() > 64) return false;
    for (unsigned char c : name) {
        bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                       c == '-' || c == '.' || c == '@' || c == '+';
        if (!allowed) return false;
    }
    return true;
}

Site::Site(bool demoMode, RequestLog& requestLog) : demo(demoMode), log(requestLog)
{
    std::lock_guard<std::mutex> lock(mutex);
    ResetLocked();
}

void Site::SetReleaseHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(releaseMutex);
    releaseHandler = std::move(handler);
}

void Site::SetOfflineHandler(std::function<void(int)> handler)
{
    std::lock_guard<std::mutex> lock(releaseMutex);
    offlineHandler = std::move(handler);
}

void Site::ResetLocked()
{
    const std::uint64_t nextId = state.NextId();
    state = SiteState();
    state.ContinueIdsFrom(nextId);
    SeedBaseAccounts(state);
    if (demo) SeedDemoContent(state, NowSeconds());
    tickerCount = 0;
}

void Site::Reset()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        ResetLocked();
    }
    routes.Clear(std::string());
    refuseTls = false;
    log.Clear();
    std::function<void()> release;
    {
        std::lock_guard<std::mutex> lock(releaseMutex);
        release = releaseHandler;
    }
    if (release) release();
}

void Site::AddTickerStatus()
{
    std::lock_guard<std::mutex> lock(mutex);
    std::string user, text;
    DemoTickerStatus(tickerCount++, user, text);
    state.EnsureUser(user);
    StatusRecord status;
    status.user = user;
    status.plainText = text;
    status.contentHtml = RenderStatusText(text);
    status.timeText = FormatCreatedAt(NowSeconds());
    state.AddStatus(std::move(status));
}

HttpResponse Site::Handle(const HttpRequest& request, const RequestContext& context)
{
    const std::string path = request.Path();
    const std::string* hostHeader = request.FindHeader("Host");
    // Without a Host (HTTP/1.0) the pages name the address the client is built for.
    const std::string host = hostHeader && !hostHeader->empty() ? *hostHeader
                                                                : "localhost:" + std::to_string(context.localPort);
    if (path == "/__control" || path.rfind("/__control/", 0) == 0) {
        HttpResponse response = context.peerIsLoopback ? HandleControl(request, host)
                                                       : TextAnswer(403, "control is for loopback peers only\n");
        response.logged = false;
        return response;
    }
    std::optional<Route> route = routes.Take(path);
    HttpResponse response;
    if (route && route->HasOwnAnswer()) response = RouteAnswer(*route);
    else if (path.rfind("/__echo", 0) == 0) response = Echo(request, context.scheme);
    else response = Serve(request, Origin{context.scheme, host});
    if (route) ApplyRouteDelivery(*route, response);
    return response;
}

HttpResponse Site::Echo(const HttpRequest& request, const std::string& scheme)
{
    std::string text;
    text += "scheme: " + scheme + "\n";
    text += "request-line: " + request.requestLine + "\n";
    text += "target: " + request.target + "\n";
    text += "method: " + request.method + "\n";
    for (const HttpHeader& header : request.headers) text += "header: " + header.name + ": " + header.value + "\n";
    text += "body-length: " + std::to_string(request.body.size()) + "\n";
    text += "body:\n";
    text += request.body;
    HttpResponse response;
    response.SetBody(std::move(text), "text/plain");
    response.SetHeader("Cache-Control", "no-store");
    return response;
}

}  // namespace site
