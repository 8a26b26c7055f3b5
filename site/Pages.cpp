#include "Pages.h"

#include "FormData.h"
#include "HtmlText.h"
#include "HttpMessage.h"

namespace site {

namespace {

std::string PageStart(const std::string& title, const std::string& bodyId)
{
    return "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
           "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"ja\" lang=\"ja\">\n"
           "<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
           "<title>" + EscapeHtml(title) + "</title>\n"
           "<style type=\"text/css\">\n"
           "body{font-family:sans-serif;background:#c0deed;margin:0}\n"
           "#container{width:760px;margin:0 auto;background:#fff;padding:12px 20px}\n"
           "ol.statuses{list-style:none;padding:0}\n"
           "li.status{border-bottom:1px solid #eee;padding:8px 0;overflow:hidden}\n"
           "span.thumb{float:left;margin-right:10px}\n"
           "ul.actions-hover{display:none}\n"
           ".error{color:#c00}\n"
           "</style>\n</head>\n<body id=\"" + bodyId + "\">\n<div id=\"container\">\n";
}

std::string Header(const Origin& origin)
{
    return "<div id=\"header\"><a href=\"" + origin.Root() + "\" title=\"ホーム\" accesskey=\"1\">"
           "<strong>Larkspur サイト</strong></a></div>\n";
}

const char pageEnd[] = "<div id=\"footer\">&copy; Larkspur</div>\n</div>\n</body>\n</html>\n";

std::string TokenField(const std::string* token)
{
    if (!token) return std::string();
    return "<input name=\"authenticity_token\" type=\"hidden\" value=\"" + *token + "\" />\n";
}

std::string LoginForm(const Origin& origin, const std::string* token)
{
    // The site signs in over TLS, whatever scheme the page came over.
    return "<form action=\"https://" + origin.host + "/sessions\" class=\"signin\" method=\"post\">\n"
           "<div style=\"margin:0;padding:0\">" + TokenField(token) + "</div>\n"
           "<fieldset>\n"
           "<label for=\"username\">ユーザー名またはメールアドレス</label>\n"
           "<input type=\"text\" id=\"username\" name=\"session[username_or_email]\" value=\"\" />\n"
           "<label for=\"password\">パスワード</label>\n"
           "<input type=\"password\" id=\"password\" name=\"session[password]\" value=\"\" />\n"
           "<input type=\"hidden\" name=\"q\" value=\"\" />\n"
           "<input type=\"submit\" value=\"ログイン\" />\n"
           "</fieldset>\n</form>\n";
}

// After the block's own status link, which the client takes as the first
// "status/" of the block, never before it.
std::string InReplyToLink(const StatusView& status)
{
    if (status.inReplyToAddress.empty()) return std::string();
    return " <a href=\"" + status.inReplyToAddress + "\" class=\"in-reply-to\">" + status.inReplyToUser +
           " への返信</a>";
}

std::string StatusList(const Origin& origin, const std::vector<StatusView>& statuses)
{
    std::string list = "<ol id=\"timeline\" class=\"statuses\">\n";
    for (const StatusView& status : statuses) list += StatusBlock(origin, status);
    list += "</ol>\n";
    return list;
}

}  // namespace

std::string StatusBlock(const Origin& origin, const StatusView& status)
{
    // The client cuts from `<li class="hentry ` to the next plain `<li>` and
    // takes the first match of every marker within: every field therefore
    // stands before the actions list, whose `<li>` ends the block.
    const std::string userAddress = origin.Root() + status.screenName;
    const std::string displayName = EscapeDisplayName(status.displayName);
    std::string block;
    block += "<li class=\"hentry u-" + status.screenName + " status\" id=\"status_" + status.id + "\">\n";
    block += "<span class=\"thumb vcard author\"><a href=\"" + userAddress +
             "\" class=\"tweet-url profile-pic url\"><img alt=\"" + displayName +
             "\" class=\"photo fn\" height=\"48\" src=\"" + status.iconAddress + "\" width=\"48\" /></a></span>\n";
    block += "<span class=\"status-body\"><span class=\"status-content\"><strong><a href=\"" + userAddress +
             "\" class=\"tweet-url screen-name\">" + status.screenName + "</a></strong>\n";
    block += "<span class=\"entry-content\">" + status.contentHtml + "</span></span>\n";
    block += "<span class=\"meta entry-meta\" data=\"{time:'" + status.timeText + "'}\"><a class=\"entry-date\" "
             "rel=\"bookmark\" href=\"" + userAddress + "/status/" + status.id +
             "\"><span class=\"published timestamp\">" + EscapeHtml(status.timeText) + "</span></a>" +
             InReplyToLink(status) + "</span>\n";
    block += "<ul class=\"actions-hover\"><li><span class=\"reply\"><a href=\"" + origin.Root() + "?status=%40" +
             status.screenName + "%20&amp;in_reply_to_status_id=" + status.id + "\" title=\"返信\">返信</a>"
             "</span></li></ul>\n";
    block += "</span></li>\n";
    return block;
}

std::string FrontPage(const Origin& origin, const std::string* token)
{
    return PageStart("Larkspur サイト: いま何してる？", "front") + Header(origin) +
           "<h2>いま何してる？</h2>\n<p>友だちや家族と、いま何してる？を共有しましょう。</p>\n" +
           LoginForm(origin, token) + pageEnd;
}

std::string InvalidParametersPage(const Origin& origin)
{
    return PageStart("Larkspur サイト: エラー", "error") + Header(origin) +
           "<p class=\"error\">Invalid request parameters; the form has expired. Please go back and try again.</p>\n" +
           pageEnd;
}

std::string WrongPasswordPage(const Origin& origin, const std::string* token)
{
    return PageStart("Larkspur サイト: ログイン", "login") + Header(origin) +
           "<p class=\"error\">ユーザー名とパスワードの組み合わせが間違っています。</p>\n" + LoginForm(origin, token) +
           pageEnd;
}

std::string ChallengePage(const Origin& origin)
{
    return PageStart("Larkspur サイト: 確認", "challenge") + Header(origin) +
           "<p class=\"error\">ログインの試行が多すぎます。</p>\n"
           "<p>下の画像から２つの文字を見つけて入力してください。</p>\n"
           "<div class=\"captcha\">[ larkspur &middot; meadow ]</div>\n"
           "<form action=\"https://" + origin.host + "/sessions\" method=\"post\">"
           "<input type=\"text\" name=\"captcha_response\" value=\"\" /></form>\n" +
           pageEnd;
}

std::string HomePage(const Origin& origin, const std::string& user, const std::string* token,
                     const std::vector<StatusView>& statuses)
{
    return PageStart("Larkspur サイト / ホーム", "home") + Header(origin) +
           "<form action=\"" + origin.Root() + "status/update\" id=\"status_update_form\" method=\"post\">\n" +
           "<div style=\"margin:0;padding:0\">" + TokenField(token) + "</div>\n"
           "<label for=\"status\">いま何してる？</label>\n"
           "<textarea cols=\"40\" id=\"status\" name=\"status\" rows=\"2\"></textarea>\n"
           "<input type=\"submit\" value=\"投稿する\" />\n</form>\n"
           "<p class=\"signed-in\">" + EscapeHtml(user) + " としてログイン中</p>\n"
           "<h2>ホーム</h2>\n" +
           StatusList(origin, statuses) + pageEnd;
}

std::string OverloadPage()
{
    return PageStart("Larkspur サイト: over capacity", "overload") +
           "<h2>Twitter is over capacity.</h2>\n<p>Too many tweets! Please wait a moment and try again.</p>\n" +
           pageEnd;
}

std::string ForbiddenPage()
{
    return PageStart("403 Forbidden", "forbidden") +
           "<p>403 Forbidden: The server understood the request, but is refusing to fulfill it.</p>\n" + pageEnd;
}

std::string DuplicatePage(const Origin& origin)
{
    return PageStart("Larkspur サイト / ホーム", "home") + Header(origin) +
           "<p class=\"error\">同じことをすでにツイートしています。</p>\n"
           "<p><a href=\"" + origin.Root() + "\">ホームへ戻る</a></p>\n" + pageEnd;
}

std::string UserPage(const Origin& origin, const std::string& user, const std::string& displayName,
                     const std::vector<StatusView>& statuses)
{
    return PageStart(displayName + " (" + user + ")", "profile") + Header(origin) + "<h2>" +
           EscapeHtml(displayName) + " <small>@" + EscapeHtml(user) + "</small></h2>\n" +
           StatusList(origin, statuses) + pageEnd;
}

std::string SearchPage(const Origin& origin, const std::string& query, const std::vector<StatusView>& statuses)
{
    return PageStart(query + " の検索結果", "search") + Header(origin) + "<h2>" + EscapeHtml(query) +
           " の検索結果</h2>\n" + (statuses.empty() ? std::string("<p>該当するツイートはありません。</p>\n")
                                                   : StatusList(origin, statuses)) +
           pageEnd;
}

std::string SingleStatusPage(const Origin& origin, const StatusView& status)
{
    return PageStart(status.displayName + " のツイート", "show") + Header(origin) + "<ol class=\"statuses\">\n" +
           StatusBlock(origin, status) + "</ol>\n" + pageEnd;
}

std::string NotFoundPage(const Origin& origin)
{
    return PageStart("Larkspur サイト: 見つかりません", "notfound") + Header(origin) +
           "<p>お探しのページは見つかりませんでした。</p>\n" + pageEnd;
}

std::string SimpleMessagePage(int status, const std::string& message)
{
    std::string title = std::to_string(status) + " " + ReasonPhrase(status);
    return PageStart(title, "message") + "<h2>" + EscapeHtml(title) + "</h2>\n<p>" + EscapeHtml(message) +
           "</p>\n" + pageEnd;
}

}  // namespace site
