#include "Connection.h"

#include <boost/asio/post.hpp>
#include <boost/beast/core/detect_ssl.hpp>

#include "ConnectionRegistry.h"
#include "Loopback.h"
#include "Pages.h"
#include "TimeText.h"

namespace site {

namespace {

const std::string continueLine = "HTTP/1.1 100 Continue\r\n\r\n";

std::string EndpointText(const tcp::endpoint& endpoint)
{
    const asio::ip::address address = endpoint.address();
    std::string text = address.is_v6() ? "[" + address.to_string() + "]" : address.to_string();
    return text + ":" + std::to_string(endpoint.port());
}

}  // namespace

Connection::Connection(tcp::socket s, asio::ssl::context& tlsContext, Site& theSite, RequestLog& requestLog,
                       ConnectionRegistry& connections, int idle)
    : socket(std::move(s)),
      tls(tlsContext),
      site(theSite),
      log(requestLog),
      registry(connections),
      idleSeconds(idle),
      deadline(socket.get_executor()),
      delay(socket.get_executor())
{
    ErrorCode error;
    tcp::endpoint remote = socket.remote_endpoint(error);
    if (!error) {
        context.peer = EndpointText(remote);
        context.peerIsLoopback = IsLoopback(remote.address());
    } else {
        context.peer = "-";
        context.peerIsLoopback = false;
    }
    tcp::endpoint local = socket.local_endpoint(error);
    context.localPort = error ? 0 : local.port();
}

Connection::~Connection() = default;

void Connection::Start()
{
    registry.Add(shared_from_this());
    ArmDeadline(idleSeconds);
    auto self = shared_from_this();
    boost::beast::async_detect_ssl(socket, detectBuffer,
                                   [self](const ErrorCode& error, bool isTls) { self->OnDetected(error, isTls); });
}

void Connection::Release()
{
    auto self = shared_from_this();
    asio::post(deadline.get_executor(), [self] {
        if (self->phase == Phase::Holding) self->Close();
    });
}

void Connection::Stop()
{
    auto self = shared_from_this();
    asio::post(deadline.get_executor(), [self] { self->Close(); });
}

void Connection::ArmDeadline(int seconds)
{
    std::uint64_t generation = ++deadlineGeneration;
    deadline.expires_after(std::chrono::seconds(seconds));
    auto self = shared_from_this();
    deadline.async_wait([self, generation](const ErrorCode& error) {
        // A wait that was cancelled, or overtaken by a newer deadline, is stale.
        if (error || generation != self->deadlineGeneration) return;
        self->Close();
    });
}

void Connection::CancelDeadline()
{
    ++deadlineGeneration;
    deadline.cancel();
}

void Connection::OnDetected(const ErrorCode& error, bool isTls)
{
    if (phase == Phase::Closed) return;
    if (error) {
        Close();
        return;
    }
    context.scheme = isTls ? "https" : "http";
    if (!isTls) {
        transport = MakePlainTransport(std::move(socket));
        auto data = detectBuffer.data();
        inbox.assign(static_cast<const char*>(data.data()), data.size());
        detectBuffer.consume(detectBuffer.size());
        phase = Phase::Reading;
        ReadRequest();
        return;
    }
    auto tlsTransport = std::make_unique<TlsTransport>(std::move(socket), tls);
    TlsTransport* handshaking = tlsTransport.get();
    transport = std::move(tlsTransport);
    auto self = shared_from_this();
    handshaking->Handshake(detectBuffer.data(), [self](const ErrorCode& handshakeError, std::size_t used) {
        if (self->phase == Phase::Closed) return;
        if (handshakeError) {
            self->Close();
            return;
        }
        self->detectBuffer.consume(used);
        auto rest = self->detectBuffer.data();
        self->inbox.assign(static_cast<const char*>(rest.data()), rest.size());
        self->detectBuffer.consume(self->detectBuffer.size());
        self->phase = Phase::Reading;
        self->ReadRequest();
    });
}

void Connection::ReadRequest()
{
    phase = Phase::Reading;
    switch (parser.Parse(inbox)) {
    case RequestParser::Result::Complete:
        OnRequest();
        return;
    case RequestParser::Result::Bad:
        OnBadRequest();
        return;
    case RequestParser::Result::NeedMore:
        break;
    }
    ArmDeadline(idleSeconds);
    auto self = shared_from_this();
    if (parser.TakeContinueRequest()) {
        transport->Write({asio::buffer(continueLine)}, [self](const ErrorCode& error, std::size_t) {
            if (self->phase == Phase::Closed) return;
            if (error) {
                self->Close();
                return;
            }
            self->transport->ReadSome(asio::buffer(self->readBuffer),
                                      [self](const ErrorCode& e, std::size_t n) { self->OnRead(e, n); });
        });
        return;
    }
    transport->ReadSome(asio::buffer(readBuffer), [self](const ErrorCode& e, std::size_t n) { self->OnRead(e, n); });
}

void Connection::OnRead(const ErrorCode& error, std::size_t bytes)
{
    if (phase == Phase::Closed) return;
    if (error) {
        Close();
        return;
    }
    inbox.append(readBuffer.data(), bytes);
    ReadRequest();
}

void Connection::OnRequest()
{
    CancelDeadline();
    phase = Phase::Answering;
    request = parser.TakeRequest();
    response = site.Handle(request, context);
    keepAlive = request.WantsKeepAlive() && !response.closeAfter;
    headOnly = request.method == "HEAD";
    if (response.delivery.hang) {
        Record(0, 0);
        Hold();
        return;
    }
    if (response.delivery.delayMs > 0) {
        delay.expires_after(std::chrono::milliseconds(response.delivery.delayMs));
        auto self = shared_from_this();
        delay.async_wait([self](const ErrorCode& error) {
            if (error || self->phase == Phase::Closed) return;
            self->SendAnswer();
        });
        return;
    }
    SendAnswer();
}

void Connection::OnBadRequest()
{
    CancelDeadline();
    phase = Phase::Answering;
    request = parser.Request();
    int status = parser.ErrorStatus();
    std::string message = parser.ErrorReason();
    if (!request.requestLine.empty()) message += ": " + request.requestLine;
    response = HttpResponse();
    response.status = status;
    response.SetBody(SimpleMessagePage(status, message), "text/html; charset=utf-8");
    keepAlive = false;
    headOnly = false;
    // Control requests are never logged, not even broken ones.
    std::string path = request.target.substr(0, request.target.find('?'));
    response.logged = !(path == "/__control" || path.rfind("/__control/", 0) == 0);
    SendAnswer();
}

void Connection::SendAnswer()
{
    head = SerializeHead(response, keepAlive, request.versionMinor);
    std::vector<asio::const_buffer> buffers{asio::buffer(head)};
    bodyBytes = headOnly ? 0 : response.BodySize();
    if (response.delivery.cutAfter >= 0 && static_cast<unsigned long long>(response.delivery.cutAfter) < bodyBytes) {
        bodyBytes = static_cast<unsigned long long>(response.delivery.cutAfter);
    }
    if (bodyBytes > 0) buffers.push_back(asio::buffer(response.body->data(), bodyBytes));
    ArmDeadline(idleSeconds);
    auto self = shared_from_this();
    transport->Write(std::move(buffers), [self](const ErrorCode& error, std::size_t) { self->OnWritten(error); });
}

void Connection::OnWritten(const ErrorCode& error)
{
    if (phase == Phase::Closed) return;
    CancelDeadline();
    Record(response.status, bodyBytes);
    if (error) {
        Close();
        return;
    }
    if (response.delivery.cutAfter >= 0 && !headOnly) {
        if (response.delivery.closeAtCut) Close();
        else Hold();
        return;
    }
    if (!keepAlive) {
        CloseGracefully();
        return;
    }
    response = HttpResponse();
    ReadRequest();
}

void Connection::Hold()
{
    // Silent until released, stopped, or the peer goes away; a read stays
    // pending so that a peer closing is noticed.
    phase = Phase::Holding;
    auto self = shared_from_this();
    transport->ReadSome(asio::buffer(readBuffer), [self](const ErrorCode& error, std::size_t) {
        if (self->phase != Phase::Holding) return;
        if (error) self->Close();
        else self->Hold();
    });
}

void Connection::CloseGracefully()
{
    phase = Phase::Closing;
    ArmDeadline(2);
    auto self = shared_from_this();
    transport->Shutdown([self] { self->Close(); });
}

void Connection::Close()
{
    if (phase == Phase::Closed) return;
    phase = Phase::Closed;
    CancelDeadline();
    delay.cancel();
    if (transport) {
        transport->Close();
    } else {
        ErrorCode ignored;
        socket.close(ignored);
    }
    registry.Remove(this);
}

void Connection::Record(int status, unsigned long long bytes)
{
    if (!response.logged) return;
    LogEntry entry;
    entry.time = NowSeconds();
    entry.peer = context.peer;
    entry.scheme = context.scheme;
    entry.method = request.method;
    entry.target = request.target;
    entry.status = status;
    entry.bodyBytesSent = bytes;
    log.Record(entry);
}

}  // namespace site
