// The web site proper: front page, sign-in, home timeline, posting, author
// pages, tag searches and profile pictures.
#include <algorithm>

#include "HtmlText.h"
#include "Site.h"
#include "TimeText.h"

namespace site {

namespace {

const char sessionCookie[] = "_site_session";

bool IsRead(const HttpRequest& request) { return request.method == "GET" || request.method == "HEAD"; }

HttpResponse MethodNotAllowed(const std::string& allowed)
{
    HttpResponse response = HtmlAnswer(405, SimpleMessagePage(405, "use " + allowed));
    response.SetHeader("Allow", allowed);
    return response;
}

std::string LowerAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The token a page shows: none while the token mode hides it.
const std::string* TokenOrNull(const SiteState& state, const Session& session)
{
    return state.tokenMode == TokenMode::None || session.token.empty() ? nullptr : &session.token;
}

}  // namespace

Session* Site::CurrentSession(const HttpRequest& request)
{
    for (const HttpHeader& header : request.headers) {
        if (!EqualsIgnoringCase(header.name, "Cookie")) continue;
        std::string id = FindCookie(header.value, sessionCookie);
        if (Session* session = id.empty() ? nullptr : state.FindSession(id)) return session;
    }
    return nullptr;
}

Session& Site::EnsureSession(const HttpRequest& request, const Origin& origin, HttpResponse& response)
{
    if (Session* session = CurrentSession(request)) return *session;
    Session& session = state.CreateSession();
    // A session cookie: no Expires or Max-Age, or Wine keeps it in the
    // prefix across processes. Given over TLS it is Secure, so a client
    // that would later send it in clear does not.
    std::string cookie = std::string(sessionCookie) + "=" + session.id + "; path=/; HttpOnly";
    if (origin.Secure()) cookie += "; Secure";
    response.AddHeader("Set-Cookie", cookie);
    return session;
}

StatusView Site::ViewOf(const StatusRecord& status, const Origin& origin) const
{
    StatusView view;
    view.id = status.id;
    view.screenName = status.user;
    view.contentHtml = status.contentHtml;
    view.timeText = status.timeText;
    auto user = state.users.find(status.user);
    view.displayName = !status.displayName.empty() ? status.displayName
                       : user != state.users.end() ? user->second.displayName
                                                   : status.user;
    std::string icon = !status.icon.empty() ? status.icon
                       : user != state.users.end() ? user->second.icon
                                                   : std::string();
    view.iconAddress = AbsoluteAddress(icon, origin);
    if (!status.inReplyTo.empty()) {
        // The site links to the answered status when it has one of that id.
        for (const StatusRecord& answered : state.statuses) {
            if (answered.id != status.inReplyTo) continue;
            view.inReplyToUser = answered.user;
            view.inReplyToAddress = origin.Root() + answered.user + "/status/" + answered.id;
            break;
        }
    }
    return view;
}

std::vector<StatusView> Site::ViewsOf(const std::vector<const StatusRecord*>& statuses, const Origin& origin) const
{
    std::vector<StatusView> views;
    views.reserve(statuses.size());
    for (const StatusRecord* status : statuses) views.push_back(ViewOf(*status, origin));
    return views;
}

HttpResponse Site::HomeAnswer(const Session& session, const Origin& origin)
{
    // Every account reads the same timeline, but for the statuses meant for
    // one reader alone (a protected account's, seen by its followers).
    const std::string reader = LowerAscii(session.user);
    std::vector<StatusView> views = ViewsOf(
        state.Newest(static_cast<std::size_t>(state.pageSize),
                     [&reader](const StatusRecord& status) {
                         return status.reader.empty() || LowerAscii(status.reader) == reader;
                     }),
        origin);
    return HtmlAnswer(200, HomePage(origin, session.user, TokenOrNull(state, session), views));
}

HttpResponse Site::Serve(const HttpRequest& request, const Origin& origin)
{
    const std::string path = request.Path();
    if (path == "/") return ServeRoot(request, origin);
    if (path == "/sessions") return ServeSignIn(request, origin);
    if (path == "/status/update") return ServeUpdate(request, origin);
    if (path.rfind("/images/", 0) == 0) {
        if (!IsRead(request)) return MethodNotAllowed("GET, HEAD");
        return ServeImage(path, origin);
    }
    if (path == "/search") {
        if (!IsRead(request)) return MethodNotAllowed("GET, HEAD");
        return ServeSearch(request, origin);
    }
    if (!IsRead(request)) return HtmlAnswer(404, NotFoundPage(origin));
    return ServeUser(path, origin);
}

HttpResponse Site::ServeRoot(const HttpRequest& request, const Origin& origin)
{
    if (!IsRead(request) && request.method != "POST") return MethodNotAllowed("GET, HEAD, POST");
    std::lock_guard<std::mutex> lock(mutex);
    // The overload page stands in for the timeline; signing in (a POST) still works.
    if (state.overload && request.method != "POST") return HtmlAnswer(200, OverloadPage());
    HttpResponse response;
    Session& session = EnsureSession(request, origin, response);
    HttpResponse page;
    if (!session.user.empty() && state.users.count(session.user)) {
        page = HomeAnswer(session, origin);
    } else {
        session.user.clear();
        page = HtmlAnswer(200, FrontPage(origin, TokenOrNull(state, session)));
    }
    if (const std::string* shown = TokenOrNull(state, session)) state.recorded["front-token"] = *shown;
    for (const HttpHeader& header : response.headers) page.AddHeader(header.name, header.value);
    return page;
}

HttpResponse Site::ServeSignIn(const HttpRequest& request, const Origin& origin)
{
    if (IsRead(request)) return ServeRoot(request, origin);
    if (request.method != "POST") return MethodNotAllowed("POST");
    FormData form(request.body);
    const std::string token = form.Get("authenticity_token");
    const std::string name = form.Get("session[username_or_email]");
    const std::string password = form.Get("session[password]");
    const std::string nameText = AsUtf8Text(name);
    const std::string passwordText = AsUtf8Text(password);

    std::lock_guard<std::mutex> lock(mutex);
    state.recorded["login-form"] = request.body;
    state.recorded["login-token"] = token;
    state.recorded["login-user"] = name;
    state.recorded["login-password"] = password;

    HttpResponse cookies;
    Session& session = EnsureSession(request, origin, cookies);
    HttpResponse answer;
    if (token != session.token) {
        answer = HtmlAnswer(403, InvalidParametersPage(origin));
    } else {
        const User* user = nullptr;
        for (const auto& entry : state.users) {
            if (entry.second.canSignIn && LowerAscii(entry.first) == LowerAscii(nameText)) user = &entry.second;
        }
        if (user && user->password == passwordText) {
            session.user = user->screenName;
            session.failures = 0;
            answer = HtmlAnswer(302, SimpleMessagePage(302, "signed in"));
            answer.SetHeader("Location", origin.Root());
        } else if (++session.failures > 3) {
            // Three wrong passwords in a row: from now on the site wants the
            // two words of its picture, which the client cannot give.
            answer = HtmlAnswer(200, ChallengePage(origin));
        } else {
            answer = HtmlAnswer(200, WrongPasswordPage(origin, TokenOrNull(state, session)));
        }
    }
    for (const HttpHeader& header : cookies.headers) answer.AddHeader(header.name, header.value);
    return answer;
}

HttpResponse Site::ServeUpdate(const HttpRequest& request, const Origin& origin)
{
    if (request.method != "POST") return MethodNotAllowed("POST");
    FormData form(request.body);
    const std::string token = form.Get("authenticity_token");
    const std::string text = form.Get("status");
    const char replyField[] = "in_reply_to_status_id";

    std::lock_guard<std::mutex> lock(mutex);
    state.recorded["update-form"] = request.body;
    state.recorded["status"] = text;
    // Every post says anew whether it answers a status: one without the
    // field leaves nothing behind from the post before.
    if (form.Has(replyField)) state.recorded["reply-to"] = form.Get(replyField);
    else state.recorded.erase("reply-to");

    Session* session = CurrentSession(request);
    if (!session || session->user.empty() || !state.users.count(session->user) || token != session->token) {
        return HtmlAnswer(403, ForbiddenPage());
    }
    if (state.HasStatusText(session->user, text)) return HtmlAnswer(200, DuplicatePage(origin));
    // An empty status is not written; the answer is the timeline as it is.
    if (text.find_first_not_of(" \t\r\n") != std::string::npos) {
        StatusRecord status;
        status.user = session->user;
        status.plainText = text;
        status.contentHtml = RenderStatusText(text);
        status.timeText = FormatCreatedAt(NowSeconds());
        // Kept as sent: like the real site, this one does not check that
        // the answered status exists.
        status.inReplyTo = form.Get(replyField);
        state.AddStatus(std::move(status));
    }
    return HomeAnswer(*session, origin);
}

HttpResponse Site::ServeSearch(const HttpRequest& request, const Origin& origin)
{
    const std::string query = FormData(request.Query()).Get("q");
    std::lock_guard<std::mutex> lock(mutex);
    std::function<bool(const StatusRecord&)> accept;
    if (query.size() > 1 && query[0] == '#') {
        const std::string tag = LowerAscii(query.substr(1));
        accept = [tag](const StatusRecord& status) {
            if (!status.fromPlainText) return LowerAscii(status.contentHtml).find("#" + tag) != std::string::npos;
            std::vector<std::string> tags = FindHashtags(status.plainText);
            return std::any_of(tags.begin(), tags.end(),
                               [&](const std::string& found) { return LowerAscii(found) == tag; });
        };
    } else {
        const std::string words = LowerAscii(query);
        accept = [words](const StatusRecord& status) {
            return !words.empty() && LowerAscii(status.plainText).find(words) != std::string::npos;
        };
    }
    return HtmlAnswer(200, SearchPage(origin, query, ViewsOf(state.Newest(0, accept), origin)));
}

HttpResponse Site::ServeUser(const std::string& path, const Origin& origin)
{
    // "/USER" or "/USER/status/ID".
    std::string rest = path.substr(1);
    std::string user = rest.substr(0, rest.find('/'));
    std::string statusId;
    if (user.size() < rest.size()) {
        std::string tail = rest.substr(user.size());
        if (tail.rfind("/status/", 0) != 0) return HtmlAnswer(404, NotFoundPage(origin));
        statusId = tail.substr(8);
        if (statusId.empty()) return HtmlAnswer(404, NotFoundPage(origin));
    }
    std::lock_guard<std::mutex> lock(mutex);
    auto found = state.users.find(user);
    if (found == state.users.end()) return HtmlAnswer(404, NotFoundPage(origin));
    if (!statusId.empty()) {
        for (const StatusRecord& status : state.statuses) {
            if (status.user == user && status.id == statusId) {
                return HtmlAnswer(200, SingleStatusPage(origin, ViewOf(status, origin)));
            }
        }
        return HtmlAnswer(404, NotFoundPage(origin));
    }
    auto own = [&user](const StatusRecord& status) { return status.user == user; };
    std::vector<StatusView> views = ViewsOf(state.Newest(static_cast<std::size_t>(state.pageSize), own), origin);
    return HtmlAnswer(200, UserPage(origin, user, found->second.displayName, views));
}

HttpResponse Site::ServeImage(const std::string& path, const Origin& origin)
{
    // "/images/FOLDER/NAME": the folder is free, the name decides.
    std::string rest = path.substr(8);
    std::size_t slash = rest.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 >= rest.size() ||
        rest.find('/', slash + 1) != std::string::npos) {
        return HtmlAnswer(404, NotFoundPage(origin));
    }
    ImageAnswer image = images.Lookup(rest.substr(slash + 1));
    if (image.status != 200) return HtmlAnswer(404, NotFoundPage(origin));
    HttpResponse response;
    response.body = image.body;
    response.SetHeader("Content-Type", image.contentType);
    return response;
}

}  // namespace site
