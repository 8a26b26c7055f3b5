#ifndef LARKSPUR_SITE_SITE_H
#define LARKSPUR_SITE_SITE_H

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "FormData.h"
#include "HttpMessage.h"
#include "ImageStore.h"
#include "Pages.h"
#include "RequestLog.h"
#include "RouteTable.h"
#include "SiteState.h"

namespace site {

struct RequestContext {
    std::string scheme;  // "http" or "https"
    std::string peer;    // "127.0.0.1:50000"
    bool peerIsLoopback = true;
    unsigned short localPort = 0;
};

// The web site and its control interface: turns one request into one answer.
// Safe to call from several connections at once.
class Site {
public:
    Site(bool demo, RequestLog& log);

    HttpResponse Handle(const HttpRequest& request, const RequestContext& context);

    // Back to the start state (the control interface's reset).
    void Reset();
    // One status from the demo ticker, written now.
    void AddTickerStatus();
    // Called by Reset to let go of requests held without an answer.
    void SetReleaseHandler(std::function<void()> handler);
    // Called by the control interface's offline: stop listening and drop
    // every connection for the given milliseconds, as if the server were down.
    void SetOfflineHandler(std::function<void(int)> handler);
    // True while TLS is refused: every TLS connection is closed at its
    // handshake, as a blocking or intercepting network does; plain HTTP goes on.
    bool RefusesTls() const { return refuseTls.load(); }

private:
    // The web site proper (SitePages.cpp).
    HttpResponse Serve(const HttpRequest& request, const Origin& origin);
    HttpResponse ServeRoot(const HttpRequest& request, const Origin& origin);
    HttpResponse ServeSignIn(const HttpRequest& request, const Origin& origin);
    HttpResponse ServeUpdate(const HttpRequest& request, const Origin& origin);
    HttpResponse ServeSearch(const HttpRequest& request, const Origin& origin);
    HttpResponse ServeUser(const std::string& path, const Origin& origin);
    HttpResponse ServeImage(const std::string& path, const Origin& origin);
    HttpResponse Echo(const HttpRequest& request, const std::string& scheme);

    // The control interface (ControlInterface.cpp).
    HttpResponse HandleControl(const HttpRequest& request, const std::string& host);
    HttpResponse ControlAccount(const FormData& parameters);
    HttpResponse ControlStatus(const FormData& parameters);
    HttpResponse ControlToken(const FormData& parameters);
    HttpResponse ControlConfig(const FormData& parameters);
    HttpResponse ControlLast(const FormData& parameters);

    // Helpers; the caller holds `mutex`.
    Session* CurrentSession(const HttpRequest& request);
    Session& EnsureSession(const HttpRequest& request, const Origin& origin, HttpResponse& response);
    StatusView ViewOf(const StatusRecord& status, const Origin& origin) const;
    std::vector<StatusView> ViewsOf(const std::vector<const StatusRecord*>& statuses, const Origin& origin) const;
    HttpResponse HomeAnswer(const Session& session, const Origin& origin);
    void ResetLocked();

    const bool demo;
    RequestLog& log;
    ImageStore images;
    RouteTable routes;
    std::mutex mutex;
    SiteState state;
    std::size_t tickerCount = 0;
    std::atomic<bool> refuseTls{false};
    std::function<void()> releaseHandler;
    std::function<void(int)> offlineHandler;
    std::mutex releaseMutex;
};

// Helpers shared by the site's files.
HttpResponse HtmlAnswer(int status, std::string page);
HttpResponse TextAnswer(int status, std::string text);
std::string AbsoluteAddress(const std::string& address, const Origin& origin);
bool IsScreenName(const std::string& name);

}  // namespace site

#endif
