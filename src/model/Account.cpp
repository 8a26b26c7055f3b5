#include "Account.h"

#include "CriticalSection.h"
#include "ServiceSession.h"
#include "TimelineModel.h"

#include <cstring>

namespace {

CCriticalSection accountLock;
unsigned epoch = 0; // under accountLock

} // namespace

unsigned AccountEpoch()
{
    CLock guard(accountLock);
    return epoch;
}

bool ChangeAccount(const char* user, const char* password)
{
    CLock guard(accountLock);
    ServiceSession::Text oldUser;
    ServiceSession::Text oldPassword;
    serviceSession.GetUser(oldUser);
    serviceSession.GetPassword(oldPassword);
    serviceSession.SetUser(user);
    serviceSession.SetPassword(password);
    serviceSession.loginState = LoginReady;
    ServiceSession::Text newUser;
    ServiceSession::Text newPassword;
    serviceSession.GetUser(newUser);
    serviceSession.GetPassword(newPassword);
    if (std::strcmp(oldUser, newUser) == 0 && std::strcmp(oldPassword, newPassword) == 0)
        return false;
    ++epoch;
    serviceSession.SetToken("");
    serviceSession.signInsUnanswered = 0;
    StartTimelineOver();
    return true;
}

bool Deliver(unsigned startedIn, const std::function<void()>& deliver)
{
    CLock guard(accountLock);
    if (startedIn != epoch)
        return false;
    deliver();
    return true;
}
