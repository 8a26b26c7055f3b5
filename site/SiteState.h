#ifndef LARKSPUR_SITE_SITESTATE_H
#define LARKSPUR_SITE_SITESTATE_H

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace site {

struct User {
    std::string screenName;
    std::string displayName;
    std::string icon;      // picture address; one starting with '/' is made absolute per page
    std::string password;
    bool canSignIn = false;
};

struct StatusRecord {
    std::string id;           // decimal digits
    std::string user;
    std::string contentHtml;  // the entry content, ready for the page
    std::string plainText;    // what was written, when it was plain text
    bool fromPlainText = true;
    std::string timeText;     // creation time as the page shows it
    std::string displayName;  // for this status only; empty: the user's
    std::string icon;         // for this status only; empty: the user's
    std::string reader;       // set: on this account's home timeline only
    std::string inReplyTo;    // the id of the status this one answers, as posted; empty: none
    std::uint64_t sequence = 0;
};

struct Session {
    std::string id;
    std::string token;
    std::string user;   // empty: not signed in
    int failures = 0;   // wrong passwords in a row
};

enum class TokenMode { Normal, None, Fixed };

// Everything the site knows. Not locked by itself: the Site holds one lock
// around every use.
class SiteState {
public:
    std::map<std::string, User> users;
    std::vector<StatusRecord> statuses;  // in the order added
    std::map<std::string, Session> sessions;
    TokenMode tokenMode = TokenMode::Normal;
    std::string fixedToken;
    bool overload = false;
    int pageSize = 20;
    std::map<std::string, std::string> recorded;  // what `last` reports

    static constexpr std::uint64_t firstStatusId = 10000000001ULL;

    User& EnsureUser(const std::string& screenName);
    void SetAccount(const std::string& screenName, const std::string& password, const std::string& displayName);

    // Adds a status; an empty id takes the next automatic one. Returns the id.
    std::string AddStatus(StatusRecord status);
    // Newest first (highest id, then latest added), at most `limit` (0: all)
    // of those that `accept` lets through.
    std::vector<const StatusRecord*> Newest(std::size_t limit,
                                            const std::function<bool(const StatusRecord&)>& accept) const;
    bool HasStatusText(const std::string& user, const std::string& plainText) const;
    // Automatic ids go on from here; a reset keeps them growing, since a
    // client that watched the old timeline still holds its ids.
    std::uint64_t NextId() const { return nextId; }
    void ContinueIdsFrom(std::uint64_t id) { if (id > nextId) nextId = id; }

    Session& CreateSession();
    Session* FindSession(const std::string& id);
    // A token for a session under the current mode.
    std::string IssueToken() const;
    void ReissueTokens();

private:
    std::uint64_t nextId = firstStatusId;
    std::uint64_t nextSequence = 1;
};

// Orders decimal ids by value, whatever their length.
bool IdLess(const std::string& a, const std::string& b);

}  // namespace site

#endif
