#ifndef LARKSPUR_SITE_TRANSPORT_H
#define LARKSPUR_SITE_TRANSPORT_H

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>

#include <functional>
#include <memory>
#include <vector>

namespace site {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;

// The byte stream under one connection, plain or TLS, so that the request
// handling above it is written once.
class Transport {
public:
    using IoHandler = std::function<void(const ErrorCode&, std::size_t)>;

    virtual ~Transport() = default;
    virtual void ReadSome(asio::mutable_buffer buffer, IoHandler handler) = 0;
    virtual void Write(std::vector<asio::const_buffer> buffers, IoHandler handler) = 0;
    // Ends the stream politely (TLS close_notify or TCP FIN, then waits for
    // the peer to go); `done` runs when that is over or failed.
    virtual void Shutdown(std::function<void()> done) = 0;
    // Closes the socket at once.
    virtual void Close() = 0;
    virtual const char* Scheme() const = 0;
};

std::unique_ptr<Transport> MakePlainTransport(tcp::socket socket);

class TlsTransport : public Transport {
public:
    TlsTransport(tcp::socket socket, asio::ssl::context& context);
    // The TLS handshake; `initial` holds bytes already read from the socket
    // (the ones that told TLS apart). `done` gets the count of them used.
    void Handshake(asio::const_buffer initial, IoHandler done);

    void ReadSome(asio::mutable_buffer buffer, IoHandler handler) override;
    void Write(std::vector<asio::const_buffer> buffers, IoHandler handler) override;
    void Shutdown(std::function<void()> done) override;
    void Close() override;
    const char* Scheme() const override { return "https"; }

private:
    asio::ssl::stream<tcp::socket> stream;
};

}  // namespace site

#endif
