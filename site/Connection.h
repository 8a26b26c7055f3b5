#ifndef LARKSPUR_SITE_CONNECTION_H
#define LARKSPUR_SITE_CONNECTION_H

#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "HttpMessage.h"
#include "RequestLog.h"
#include "RequestParser.h"
#include "Site.h"
#include "Transport.h"

namespace site {

class ConnectionRegistry;

// One accepted connection: tells TLS from plain HTTP by its first byte, then
// reads requests, has the site answer them and writes the answers, one after
// the other, for as long as the client keeps the connection. Every handler
// runs on the connection's strand.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(tcp::socket socket, asio::ssl::context& tls, Site& site, RequestLog& log,
               ConnectionRegistry& registry, int idleSeconds);
    ~Connection();

    void Start();
    // Thread-safe: lets go of a request held without answer (reset).
    void Release();
    // Thread-safe: closes the connection whatever it is doing (shutdown).
    void Stop();

private:
    enum class Phase { Detecting, Reading, Answering, Holding, Closing, Closed };

    void OnDetected(const ErrorCode& error, bool isTls);
    void ReadRequest();
    void OnRead(const ErrorCode& error, std::size_t bytes);
    void OnRequest();
    void OnBadRequest();
    void SendAnswer();
    void OnWritten(const ErrorCode& error);
    void Hold();
    void CloseGracefully();
    void Close();
    void ArmDeadline(int seconds);
    void CancelDeadline();
    void Record(int status, unsigned long long bodyBytes);

    tcp::socket socket;  // until the transport takes it over
    asio::ssl::context& tls;
    Site& site;
    RequestLog& log;
    ConnectionRegistry& registry;
    const int idleSeconds;
    asio::steady_timer deadline;
    asio::steady_timer delay;
    std::uint64_t deadlineGeneration = 0;
    std::unique_ptr<Transport> transport;
    boost::beast::flat_buffer detectBuffer;
    std::array<char, 16384> readBuffer{};
    std::string inbox;
    RequestParser parser;
    Phase phase = Phase::Detecting;
    RequestContext context;

    HttpRequest request;
    HttpResponse response;
    bool keepAlive = true;
    bool headOnly = false;
    std::string head;
    unsigned long long bodyBytes = 0;
};

}  // namespace site

#endif
