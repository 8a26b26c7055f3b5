#include "SiteState.h"

#include <algorithm>

#include "RandomText.h"

namespace site {

namespace {

std::string WithoutLeadingZeros(const std::string& digits)
{
    std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string("0") : digits.substr(first);
}

}  // namespace

bool IdLess(const std::string& a, const std::string& b)
{
    std::string x = WithoutLeadingZeros(a), y = WithoutLeadingZeros(b);
    if (x.size() != y.size()) return x.size() < y.size();
    return x < y;
}

User& SiteState::EnsureUser(const std::string& screenName)
{
    User& user = users[screenName];
    if (user.screenName.empty()) {
        user.screenName = screenName;
        user.displayName = screenName;
        user.icon = "/images/" + screenName + "/48x48.png";
    }
    return user;
}

void SiteState::SetAccount(const std::string& screenName, const std::string& password, const std::string& displayName)
{
    User& user = EnsureUser(screenName);
    user.password = password;
    user.canSignIn = true;
    if (!displayName.empty()) user.displayName = displayName;
}

std::string SiteState::AddStatus(StatusRecord status)
{
    if (status.id.empty()) {
        status.id = std::to_string(nextId++);
    } else if (status.id.size() <= 19) {
        // Automatic ids stay above every id given by hand.
        std::uint64_t given = std::stoull(status.id);
        if (given >= nextId && given < UINT64_MAX) nextId = given + 1;
    }
    status.sequence = nextSequence++;
    statuses.push_back(std::move(status));
    return statuses.back().id;
}

std::vector<const StatusRecord*> SiteState::Newest(std::size_t limit,
                                                   const std::function<bool(const StatusRecord&)>& accept) const
{
    std::vector<const StatusRecord*> chosen;
    for (const StatusRecord& status : statuses) {
        if (!accept || accept(status)) chosen.push_back(&status);
    }
    std::sort(chosen.begin(), chosen.end(), [](const StatusRecord* a, const StatusRecord* b) {
        if (IdLess(a->id, b->id)) return false;
        if (IdLess(b->id, a->id)) return true;
        return a->sequence > b->sequence;
    });
    if (limit > 0 && chosen.size() > limit) chosen.resize(limit);
    return chosen;
}

bool SiteState::HasStatusText(const std::string& user, const std::string& plainText) const
{
    return std::any_of(statuses.begin(), statuses.end(), [&](const StatusRecord& status) {
        return status.fromPlainText && status.user == user && status.plainText == plainText;
    });
}

std::string SiteState::IssueToken() const
{
    switch (tokenMode) {
    case TokenMode::Fixed: return fixedToken;
    case TokenMode::None:   // the pages hide it, the session still checks it
    case TokenMode::Normal: break;
    }
    return RandomAlphanumeric(40);
}

Session& SiteState::CreateSession()
{
    std::string id = RandomAlphanumeric(32);
    Session& session = sessions[id];
    session.id = id;
    session.token = IssueToken();
    return session;
}

Session* SiteState::FindSession(const std::string& id)
{
    auto found = sessions.find(id);
    return found == sessions.end() ? nullptr : &found->second;
}

void SiteState::ReissueTokens()
{
    for (auto& entry : sessions) entry.second.token = IssueToken();
}

}  // namespace site
