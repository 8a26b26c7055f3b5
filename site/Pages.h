#ifndef LARKSPUR_SITE_PAGES_H
#define LARKSPUR_SITE_PAGES_H

#include <string>
#include <vector>

namespace site {

// One status as a page shows it; every text is ready for the page except
// where noted.
struct StatusView {
    std::string id;
    std::string screenName;
    std::string displayName;  // plain; escaped by the page
    std::string iconAddress;  // absolute
    std::string contentHtml;
    std::string timeText;     // inserted as it is
};

// The markup of one status block, in the layout the client cuts and scrapes.
std::string StatusBlock(const std::string& host, const StatusView& status);

// Pages. `host` is the request's host ("localhost:47110"); a token of
// nullptr leaves the hidden anti-forgery field out.
std::string FrontPage(const std::string& host, const std::string* token);
std::string InvalidParametersPage(const std::string& host);
std::string WrongPasswordPage(const std::string& host, const std::string* token);
std::string ChallengePage(const std::string& host);
std::string HomePage(const std::string& host, const std::string& user, const std::string* token,
                     const std::vector<StatusView>& statuses);
std::string OverloadPage();
std::string ForbiddenPage();
std::string DuplicatePage(const std::string& host);
std::string UserPage(const std::string& host, const std::string& user, const std::string& displayName,
                     const std::vector<StatusView>& statuses);
std::string SearchPage(const std::string& host, const std::string& query, const std::vector<StatusView>& statuses);
std::string SingleStatusPage(const std::string& host, const StatusView& status);
std::string NotFoundPage(const std::string& host);
std::string SimpleMessagePage(int status, const std::string& message);

}  // namespace site

#endif
