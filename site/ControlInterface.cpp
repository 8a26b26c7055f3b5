// The control interface for tests: /__control/VERB, parameters from the query
// string and the form body.
#include "HtmlText.h"
#include "Site.h"
#include "TimeText.h"

namespace site {

namespace {

HttpResponse Ok() { return TextAnswer(200, "ok\n"); }

HttpResponse BadParameters(const std::string& reason) { return TextAnswer(400, reason + "\n"); }

bool IsDecimal(const std::string& text, std::size_t maxLength)
{
    if (text.empty() || text.size() > maxLength) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

HttpResponse Site::HandleControl(const HttpRequest& request, const std::string& host)
{
    (void)host;
    const std::string path = request.Path();
    const std::string verb = path.size() > 11 ? path.substr(11) : std::string();
    FormData parameters(request.Query());
    parameters.Append(request.body);

    const bool isRead = request.method == "GET" || request.method == "HEAD";
    if (verb == "log" || verb == "last") {
        if (!isRead) return TextAnswer(405, "use GET\n");
        if (verb == "log") return TextAnswer(200, log.Lines());
        return ControlLast(parameters);
    }
    if (request.method != "POST") {
        HttpResponse response = TextAnswer(verb.empty() ? 404 : 405, "use POST\n");
        return response;
    }
    if (verb == "reset") {
        Reset();
        return Ok();
    }
    if (verb == "offline") {
        long long milliseconds = 0;
        if (!ReadInteger(parameters.Get("ms"), 1, 60000, milliseconds)) return BadParameters("ms must be 1 to 60000");
        std::function<void(int)> offline;
        {
            std::lock_guard<std::mutex> lock(releaseMutex);
            offline = offlineHandler;
        }
        if (!offline) return TextAnswer(501, "offline needs a running server\n");
        offline(static_cast<int>(milliseconds));
        return Ok();
    }
    if (verb == "forget-sessions") {
        // As a restart does: every cookie the clients hold names no session.
        std::lock_guard<std::mutex> lock(mutex);
        state.sessions.clear();
        return Ok();
    }
    if (verb == "account") return ControlAccount(parameters);
    if (verb == "status") return ControlStatus(parameters);
    if (verb == "token") return ControlToken(parameters);
    if (verb == "config") return ControlConfig(parameters);
    if (verb == "overload") {
        const std::string on = parameters.Get("on");
        if (on != "1" && on != "0") return BadParameters("on must be 1 or 0");
        std::lock_guard<std::mutex> lock(mutex);
        state.overload = on == "1";
        return Ok();
    }
    if (verb == "tls") {
        const std::string refuse = parameters.Get("refuse");
        if (refuse != "1" && refuse != "0") return BadParameters("refuse must be 1 or 0");
        refuseTls = refuse == "1";
        return Ok();
    }
    if (verb == "route") {
        Route route;
        std::string error = ParseRoute(parameters, route);
        if (!error.empty()) return BadParameters(error);
        routes.Set(std::move(route));
        return Ok();
    }
    if (verb == "route/clear") {
        routes.Clear(parameters.Get("path"));
        return Ok();
    }
    return TextAnswer(404, "unknown control " + verb + "\n");
}

HttpResponse Site::ControlAccount(const FormData& parameters)
{
    const std::string user = parameters.Get("user");
    if (!IsScreenName(user)) return BadParameters("user must be 1 to 64 of [A-Za-z0-9_.@+-]");
    if (!parameters.Has("password")) return BadParameters("password missing");
    std::lock_guard<std::mutex> lock(mutex);
    state.SetAccount(user, parameters.Get("password"), parameters.Get("name"));
    return Ok();
}

HttpResponse Site::ControlStatus(const FormData& parameters)
{
    const std::string user = parameters.Get("user");
    if (!IsScreenName(user)) return BadParameters("user must be 1 to 64 of [A-Za-z0-9_.@+-]");
    if (parameters.Has("text") == parameters.Has("html")) return BadParameters("give text or html");
    StatusRecord status;
    status.user = user;
    if (parameters.Has("text")) {
        status.plainText = parameters.Get("text");
        status.contentHtml = RenderStatusText(status.plainText);
    } else {
        status.fromPlainText = false;
        status.contentHtml = parameters.Get("html");
    }
    // An empty id asks for the next automatic one, like no id at all.
    if (!parameters.Get("id").empty()) {
        status.id = parameters.Get("id");
        if (!IsDecimal(status.id, 40)) return BadParameters("id must be 1 to 40 decimal digits");
    }
    status.timeText = parameters.Has("time") ? parameters.Get("time") : FormatCreatedAt(NowSeconds());
    status.displayName = parameters.Get("name");
    // A path stays a path: each page makes it absolute on its own host.
    status.icon = parameters.Get("icon");
    status.reader = parameters.Get("reader");

    std::lock_guard<std::mutex> lock(mutex);
    bool isNew = state.users.count(user) == 0;
    User& record = state.EnsureUser(user);
    if (isNew && !status.displayName.empty()) record.displayName = status.displayName;
    if (isNew && !status.icon.empty()) record.icon = status.icon;
    return TextAnswer(200, state.AddStatus(std::move(status)) + "\n");
}

HttpResponse Site::ControlToken(const FormData& parameters)
{
    const std::string mode = parameters.Get("mode");
    std::lock_guard<std::mutex> lock(mutex);
    if (mode == "normal") {
        state.tokenMode = TokenMode::Normal;
    } else if (mode == "none") {
        state.tokenMode = TokenMode::None;
    } else if (mode == "fixed") {
        const std::string value = parameters.Get("value");
        if (value.empty()) return BadParameters("fixed needs a value");
        for (unsigned char c : value) {
            if (c < 0x21 || c == '"' || c == 0x7f) return BadParameters("value must be printable, without quotes");
        }
        state.tokenMode = TokenMode::Fixed;
        state.fixedToken = value;
    } else {
        return BadParameters("mode must be normal, none or fixed");
    }
    // Sessions already open follow the new mode too: a client keeps its
    // cookie across a test's change of mode.
    state.ReissueTokens();
    return Ok();
}

HttpResponse Site::ControlConfig(const FormData& parameters)
{
    if (!parameters.Has("page_size")) return BadParameters("nothing to configure");
    const std::string value = parameters.Get("page_size");
    if (!IsDecimal(value, 6) || std::stoi(value) < 1) return BadParameters("page_size must be 1 to 999999");
    std::lock_guard<std::mutex> lock(mutex);
    state.pageSize = std::stoi(value);
    return Ok();
}

HttpResponse Site::ControlLast(const FormData& parameters)
{
    const std::string what = parameters.Get("what");
    static const char* const known[] = {"login-form", "login-token", "login-user",  "login-password",
                                        "update-form", "status",     "front-token", "reply-to"};
    bool isKnown = false;
    for (const char* name : known) isKnown = isKnown || what == name;
    if (!isKnown) return BadParameters("unknown what: " + what);
    std::lock_guard<std::mutex> lock(mutex);
    auto found = state.recorded.find(what);
    if (found == state.recorded.end()) return TextAnswer(404, std::string());
    HttpResponse response;
    response.SetBody(found->second, "application/octet-stream");
    response.SetHeader("Cache-Control", "no-store");
    return response;
}

}  // namespace site
