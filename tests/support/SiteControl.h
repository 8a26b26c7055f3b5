#ifndef LARKSPUR_TESTS_SITECONTROL_H
#define LARKSPUR_TESTS_SITECONTROL_H

#include <string>

// The tests' line to the service simulator's control interface. It speaks
// HTTP/1.0 over a plain Winsock socket to 127.0.0.1 on the port of the web
// host the client was built for, so it never goes through the code under test.
namespace SiteControl {

// "localhost:PORT", the web host the client was built for, and the scheme
// of its pages ("https", or "http" for a build without TLS).
std::string Host();
std::string Scheme();
int Port();

// Form-encodes one value ('+' for space, %XX for everything but [A-Za-z0-9*-._]).
std::string Encode(const std::string& value);

// POST /__control/<verb> with a form body ("a=1&b=2"); true on status 200.
// The answer body goes to *answer when given.
bool Post(const std::string& verb, const std::string& form = std::string(), std::string* answer = nullptr);

// GET of any target on the simulator; returns the status (0: no answer).
int Get(const std::string& target, std::string* body = nullptr);

// Shorthands.
bool Reset();
std::string Log();                     // GET /__control/log
std::string Last(const std::string& what); // GET /__control/last?what=...; empty when none
bool Route(const std::string& form);   // POST /__control/route
int CountInLog(const std::string& fragment); // log lines containing fragment

} // namespace SiteControl

#endif
