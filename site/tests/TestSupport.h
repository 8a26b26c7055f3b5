#ifndef LARKSPUR_SITE_TESTS_TESTSUPPORT_H
#define LARKSPUR_SITE_TESTS_TESTSUPPORT_H

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Server.h"

namespace sitetest {

using namespace std::chrono_literals;

// A folder holding ca.crt, server.crt and server.key, made once per test run
// by scripts/make-certs.sh.
const std::string& CertificateFolder();

// The simulator, in this process, on a free port, served by its own threads.
class RunningServer {
public:
    explicit RunningServer(bool demo = false, int idleSeconds = 60);
    ~RunningServer();
    unsigned short Port() const { return server->Port(); }
    std::string Host() const { return "localhost:" + std::to_string(Port()); }
    site::Server& Get() { return *server; }

private:
    std::unique_ptr<site::Server> server;
    std::thread runner;
};

struct Reply {
    int status = 0;  // 0: no complete head arrived
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool complete = false;      // the whole body (per Content-Length) arrived
    bool closedByPeer = false;  // the server closed the connection

    std::string Header(const std::string& name) const;  // first, "" when absent
    std::vector<std::string> Headers(const std::string& name) const;
};

// A client connection over plain TCP or TLS (verified against the test CA
// for the name "localhost"), with a deadline on every wait.
class Client {
public:
    Client(unsigned short port, bool tls);
    ~Client();
    bool Connected() const { return connected; }

    bool Send(const std::string& bytes);
    // Half-closes the connection: the server reads the end of the stream.
    void EndSending();
    // Reads one answer; HEAD answers carry no body.
    Reply Receive(std::chrono::milliseconds timeout = 5000ms, bool headOnly = false);
    // Reads whatever arrives within the time; false when the server closed.
    bool ReadFor(std::chrono::milliseconds time, std::string& received);
    // True when the server closes the connection within the time.
    bool ClosedWithin(std::chrono::milliseconds time);

private:
    // Runs one read; returns bytes read, 0 with `error` set on failure or time-out.
    std::size_t ReadSome(char* data, std::size_t size, std::chrono::milliseconds timeout, bool& timedOut,
                         bool& closed);

    boost::asio::io_context io;
    boost::asio::ssl::context tlsContext;
    std::unique_ptr<boost::asio::ssl::stream<boost::asio::ip::tcp::socket>> stream;
    bool tls;
    bool connected = false;
    std::string pending;  // bytes read past the last answer
};

// A browser-like caller: one connection per request, cookies kept by name.
class Browser {
public:
    Browser(unsigned short port) : port(port) {}
    Reply Get(const std::string& target, bool tls = false);
    Reply Post(const std::string& target, const std::string& form, bool tls = false);
    Reply Request(const std::string& method, const std::string& target, const std::string& body, bool tls,
                  const std::string& extraHeaders = std::string());
    std::string Cookie(const std::string& name) const;

    unsigned short port;
    std::vector<std::pair<std::string, std::string>> cookies;
};

// The control interface.
std::string Control(unsigned short port, const std::string& verb, const std::string& form, int* status = nullptr);
std::string ControlGet(unsigned short port, const std::string& target, int* status = nullptr);

std::string FormEncode(const std::string& value);

// The client's marker search: the text between the first `start` at or after
// `from` and the next `end`; "" when either is missing.
std::string Between(const std::string& text, const std::string& start, const std::string& end,
                    std::size_t from = 0);

// One status block as the client's scraper reads it.
struct ScrapedStatus {
    std::string screenName, displayName, iconUrl, text, timeText, statusId;
};
std::vector<ScrapedStatus> ScrapeLikeClient(const std::string& page, const std::string& baseAddress);

// Signs "demo" in through the front page and the login form.
bool SignInDemo(Browser& browser, std::string* token = nullptr);

}  // namespace sitetest

#endif
