#ifndef LARKSPUR_SITE_SERVER_H
#define LARKSPUR_SITE_SERVER_H

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "ConnectionRegistry.h"
#include "RequestLog.h"
#include "Site.h"

namespace site {

struct ServerOptions {
    unsigned short port = 0;   // 0: any free port
    std::string bind;          // empty: 127.0.0.1, and ::1 where it works
    std::string dataDir;       // server.crt, server.key; requests.log goes here
    bool demo = false;
    int demoIntervalSeconds = 5;
    int threads = 2;
    int idleSeconds = 60;      // a connection waiting for a request longer is closed
};

// The simulator: listening sockets for both schemes on one port, the site,
// the request log and the demo ticker.
class Server {
public:
    explicit Server(ServerOptions options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Loads the certificate, opens the log and starts listening. Returns false
    // with the reason in `error`.
    bool Start(std::string& error);
    unsigned short Port() const { return port; }
    // Serves until Stop; blocks the calling thread.
    void Run();
    // Closes the listeners and every connection; Run then returns. Any thread.
    void Stop();
    // Stop on SIGINT and SIGTERM.
    void StopOnSignals();
    // Closes the listeners and every connection, and listens again on the
    // same addresses after `milliseconds`. Any thread.
    void GoOffline(int milliseconds);

    Site& TheSite() { return site; }
    std::size_t OpenConnections() const { return registry.Count(); }

private:
    bool Listen(const boost::asio::ip::address& address, std::string& error);
    void Accept(boost::asio::ip::tcp::acceptor& acceptor);
    void ScheduleTicker();

    ServerOptions options;
    boost::asio::io_context io;
    // Listeners, ticker and shutdown share one strand: acceptors are not safe
    // to touch from two threads at once.
    boost::asio::strand<boost::asio::io_context::executor_type> control;
    boost::asio::ssl::context tls;
    std::vector<std::unique_ptr<boost::asio::ip::tcp::acceptor>> acceptors;
    RequestLog log;
    Site site;
    ConnectionRegistry registry;
    boost::asio::steady_timer ticker;
    boost::asio::steady_timer offlineTimer;
    // Closed listeners stay allocated: their cancelled accepts still refer to them.
    std::vector<std::unique_ptr<boost::asio::ip::tcp::acceptor>> closedAcceptors;
    std::unique_ptr<class SignalWatch> signals;
    unsigned short port = 0;
    std::atomic<bool> stopping{false};
};

}  // namespace site

#endif
