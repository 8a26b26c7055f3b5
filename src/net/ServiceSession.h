#ifndef LARKSPUR_NET_SERVICESESSION_H
#define LARKSPUR_NET_SERVICESESSION_H

#include "CriticalSection.h"

#include <atomic>

enum LoginState {
    LoginNone = 0,
    LoginFailed = 1,
    LoginReady = 2
};

// The process-wide sign-in state, shared by the UI thread, the timeline worker
// and the status-post threads. The flags are atomic; the three texts are read
// and written as whole values under one lock, each at most 255 bytes (a longer
// value is cut). An empty token means "not signed in". Workers write what
// they found out only through the account's Deliver, never directly.
class ServiceSession {
public:
    typedef char Text[256];

    ServiceSession();
    ServiceSession(const ServiceSession&) = delete;
    ServiceSession& operator=(const ServiceSession&) = delete;

    void SetUser(const char* value) { Store(user, value); }
    void SetPassword(const char* value) { Store(password, value); }
    void SetToken(const char* value) { Store(token, value); }
    void GetUser(Text& out) const { Load(user, out); }
    void GetPassword(Text& out) const { Load(password, out); }
    void GetToken(Text& out) const { Load(token, out); }
    bool HasToken() const;

    std::atomic<int> loginState{LoginNone};
    std::atomic<unsigned char> fetchBusy{0};
    // Fetch cycles that brought back a timeline page (a 200 answer that was
    // not the signed-out front page); the window side watches it change.
    std::atomic<unsigned> timelinesFetched{0};
    // Sign-ins in a row that got no answer (or did not take), since the last
    // that did; the third is a failed login.
    std::atomic<int> signInsUnanswered{0};

private:
    void Store(Text& field, const char* value);
    void Load(const Text& field, Text& out) const;

    mutable CCriticalSection lock;
    Text user;
    Text password;
    Text token;
};

extern ServiceSession serviceSession;

#endif
