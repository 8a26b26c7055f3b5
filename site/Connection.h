#ifndef LARKSPUR_SITE_CONNECTION_H
#define LARKSPUR_SITE_CONNECTION_H

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>

namespace site {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;

class ConnectionRegistry;
class RequestLog;
class Site;

// One accepted connection, as the registry sees it. The HTTP work lives in
// Connection.cpp alone: it is the one file that compiles Beast's parser and
// serializer, which are slow to build.
class Connection {
public:
    virtual ~Connection() = default;
    // Thread-safe: lets go of a request held without answer (reset).
    virtual void Release() = 0;
    // Thread-safe: closes the connection whatever it is doing (shutdown).
    virtual void Stop() = 0;
};

// Serves an accepted socket until it closes: tells TLS from plain HTTP by the
// first byte, then reads requests, has the site answer them and writes the
// answers, one after the other, while the client keeps the connection. The
// connection stays in `registry` while open. Every handler runs on the
// socket's executor, which must be a strand.
void StartConnection(tcp::socket socket, asio::ssl::context& tls, Site& site, RequestLog& log,
                     ConnectionRegistry& registry, int idleSeconds);

}  // namespace site

#endif
