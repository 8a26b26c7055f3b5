#ifndef LARKSPUR_SITE_PAGES_H
#define LARKSPUR_SITE_PAGES_H

#include <string>
#include <vector>

namespace site {

// Where a request came in: its scheme and its Host. Pages build every
// absolute address on it, so a page read over TLS links over TLS, as a real
// site does.
struct Origin {
    std::string scheme;  // "http" or "https"
    std::string host;    // "localhost:47110"

    std::string Root() const { return scheme + "://" + host + "/"; }
    bool Secure() const { return scheme == "https"; }
};

// One status as a page shows it; every text is ready for the page except
// where noted.
struct StatusView {
    std::string id;
    std::string screenName;
    std::string displayName;  // plain; escaped by the page
    std::string iconAddress;  // absolute
    std::string contentHtml;
    std::string timeText;     // inserted as it is
    // The status this one answers, when the site has it: its author and its
    // absolute address. Empty for a status that answers none.
    std::string inReplyToUser;
    std::string inReplyToAddress;
};

// The markup of one status block, in the layout the client cuts and scrapes.
std::string StatusBlock(const Origin& origin, const StatusView& status);

// Pages, for a request that came in at `origin`; a token of nullptr leaves
// the hidden anti-forgery field out.
std::string FrontPage(const Origin& origin, const std::string* token);
std::string InvalidParametersPage(const Origin& origin);
std::string WrongPasswordPage(const Origin& origin, const std::string* token);
std::string ChallengePage(const Origin& origin);
std::string HomePage(const Origin& origin, const std::string& user, const std::string* token,
                     const std::vector<StatusView>& statuses);
std::string OverloadPage();
std::string ForbiddenPage();
std::string DuplicatePage(const Origin& origin);
std::string UserPage(const Origin& origin, const std::string& user, const std::string& displayName,
                     const std::vector<StatusView>& statuses);
std::string SearchPage(const Origin& origin, const std::string& query, const std::vector<StatusView>& statuses);
std::string SingleStatusPage(const Origin& origin, const StatusView& status);
std::string NotFoundPage(const Origin& origin);
std::string SimpleMessagePage(int status, const std::string& message);

}  // namespace site

#endif
