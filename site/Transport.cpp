#include "Transport.h"

#include <boost/asio/write.hpp>

#include <array>

namespace site {

namespace {

class PlainTransport : public Transport {
public:
    explicit PlainTransport(tcp::socket s) : socket(std::move(s)) {}

    void ReadSome(asio::mutable_buffer buffer, IoHandler handler) override
    {
        socket.async_read_some(buffer, std::move(handler));
    }

    void Write(std::vector<asio::const_buffer> buffers, IoHandler handler) override
    {
        asio::async_write(socket, std::move(buffers), std::move(handler));
    }

    void Shutdown(std::function<void()> done) override
    {
        // Send FIN, then read until the peer closes too: closing with unread
        // bytes would reset the connection and could destroy the answer
        // before the peer has read it.
        ErrorCode ignored;
        socket.shutdown(tcp::socket::shutdown_send, ignored);
        Drain(std::move(done));
    }

    void Close() override
    {
        ErrorCode ignored;
        socket.shutdown(tcp::socket::shutdown_both, ignored);
        socket.close(ignored);
    }

    const char* Scheme() const override { return "http"; }

private:
    void Drain(std::function<void()> done)
    {
        socket.async_read_some(asio::buffer(scratch), [this, done](const ErrorCode& error, std::size_t) {
            if (error) {
                done();
                return;
            }
            Drain(done);
        });
    }

    tcp::socket socket;
    std::array<char, 4096> scratch{};
};

}  // namespace

std::unique_ptr<Transport> MakePlainTransport(tcp::socket socket)
{
    return std::make_unique<PlainTransport>(std::move(socket));
}

TlsTransport::TlsTransport(tcp::socket socket, asio::ssl::context& context) : stream(std::move(socket), context) {}

void TlsTransport::Handshake(asio::const_buffer initial, IoHandler done)
{
    stream.async_handshake(asio::ssl::stream_base::server, initial, std::move(done));
}

void TlsTransport::ReadSome(asio::mutable_buffer buffer, IoHandler handler)
{
    stream.async_read_some(buffer, std::move(handler));
}

void TlsTransport::Write(std::vector<asio::const_buffer> buffers, IoHandler handler)
{
    asio::async_write(stream, std::move(buffers), std::move(handler));
}

void TlsTransport::Shutdown(std::function<void()> done)
{
    stream.async_shutdown([done](const ErrorCode&) { done(); });
}

void TlsTransport::Close()
{
    ErrorCode ignored;
    stream.lowest_layer().shutdown(tcp::socket::shutdown_both, ignored);
    stream.lowest_layer().close(ignored);
}

}  // namespace site
