#include "Connection.h"

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "ConnectionRegistry.h"
#include "Loopback.h"
#include "Pages.h"
#include "RequestLog.h"
#include "Site.h"
#include "TimeText.h"

namespace site {

namespace {

namespace beast = boost::beast;
namespace http = beast::http;

constexpr std::size_t maxHeadBytes = 64 * 1024;
constexpr std::size_t maxBodyBytes = 128 * 1024 * 1024;

std::string EndpointText(const tcp::endpoint& endpoint)
{
    const asio::ip::address address = endpoint.address();
    std::string text = address.is_v6() ? "[" + address.to_string() + "]" : address.to_string();
    return text + ":" + std::to_string(endpoint.port());
}

// A request the parser refused, as against a connection that ended or timed out.
bool IsRefusal(const ErrorCode& error)
{
    static const boost::system::error_category& parsing = make_error_code(http::error::bad_method).category();
    return error.category() == parsing && error != http::error::end_of_stream &&
           error != http::error::partial_message;
}

int RefusalStatus(const ErrorCode& error)
{
    if (error == http::error::header_limit) return 431;
    if (error == http::error::body_limit) return 413;
    return 400;
}

class HttpConnection : public Connection, public std::enable_shared_from_this<HttpConnection> {
public:
    HttpConnection(tcp::socket socket, asio::ssl::context& tls, Site& site, RequestLog& log,
                   ConnectionRegistry& registry, int idleSeconds);

    void Start();
    void Release() override;
    void Stop() override;

private:
    enum class Phase { Detecting, Reading, Answering, Holding, Closing, Closed };

    // Runs `action` on the stream requests travel over, plain or TLS.
    template <class Action>
    void WithStream(Action action)
    {
        if (secure) action(*secure);
        else action(plain);
    }
    beast::tcp_stream& Lowest() { return secure ? beast::get_lowest_layer(*secure) : plain; }

    void OnDetected(const ErrorCode& error, bool isTls);
    void ReadHead();
    void OnHead(const ErrorCode& error);
    void ReadBody();
    void OnBody(const ErrorCode& error);
    void OnFailure(const ErrorCode& error);
    void TakeHead();
    bool DropBlankLines();
    std::string UnreadFirstLine() const;
    void OnRequest();
    void Refuse(int status, const std::string& reason);
    void SendAnswer();
    void OnWritten(const ErrorCode& error);
    void TrickleFrom(std::size_t sent);
    void SendSlowly();
    void SlowFrom(std::size_t sent);
    void Hold();
    void CloseGracefully();
    void Drain();
    void Close();
    void Record(int status, unsigned long long bodyBytes);

    const asio::any_io_executor executor;
    asio::ssl::context& tls;
    Site& site;
    RequestLog& log;
    ConnectionRegistry& registry;
    const std::chrono::seconds idle;
    beast::tcp_stream plain;  // moved into `secure` once TLS is detected
    std::unique_ptr<beast::ssl_stream<beast::tcp_stream>> secure;
    asio::steady_timer delay;
    beast::flat_buffer buffer;  // read ahead of the parser: pipelined requests wait here
    std::optional<http::request_parser<http::string_body>> parser;
    std::array<char, 4096> scratch{};
    Phase phase = Phase::Detecting;
    RequestContext context;

    HttpRequest request;
    HttpResponse response;
    http::response<http::empty_body> interim{http::status::continue_, 11};
    // The head as Beast writes it; the body span may stop short of the
    // Content-Length when the route cuts it.
    http::response<http::span_body<const char>> answer;
    // Writes the head alone when the body trickles.
    std::optional<http::response_serializer<http::span_body<const char>>> headWriter;
    // The whole answer as Beast serialized it, when it goes out byte by byte.
    std::string slowBytes;
    std::size_t slowHeadSize = 0;
    bool keepAlive = true;
    bool headOnly = false;
    unsigned requestVersion = 11;
    unsigned long long bodyBytes = 0;
};

HttpConnection::HttpConnection(tcp::socket socket, asio::ssl::context& tlsContext, Site& theSite,
                               RequestLog& requestLog, ConnectionRegistry& connections, int idleSeconds)
    : executor(socket.get_executor()),
      tls(tlsContext),
      site(theSite),
      log(requestLog),
      registry(connections),
      idle(idleSeconds),
      plain(std::move(socket)),
      delay(executor)
{
    ErrorCode error;
    tcp::endpoint remote = plain.socket().remote_endpoint(error);
    if (!error) {
        context.peer = EndpointText(remote);
        context.peerIsLoopback = IsLoopback(remote.address());
    } else {
        context.peer = "-";
        context.peerIsLoopback = false;
    }
    tcp::endpoint local = plain.socket().local_endpoint(error);
    context.localPort = error ? 0 : local.port();
}

void HttpConnection::Start()
{
    registry.Add(shared_from_this());
    plain.expires_after(idle);
    auto self = shared_from_this();
    beast::async_detect_ssl(plain, buffer, [self](const ErrorCode& error, bool isTls) { self->OnDetected(error, isTls); });
}

void HttpConnection::Release()
{
    auto self = shared_from_this();
    asio::post(executor, [self] {
        if (self->phase == Phase::Holding) self->Close();
    });
}

void HttpConnection::Stop()
{
    auto self = shared_from_this();
    asio::post(executor, [self] { self->Close(); });
}

void HttpConnection::OnDetected(const ErrorCode& error, bool isTls)
{
    if (phase == Phase::Closed) return;
    if (error) {
        Close();
        return;
    }
    context.scheme = isTls ? "https" : "http";
    if (isTls && site.RefusesTls()) {
        Close();
        return;
    }
    if (!isTls) {
        ReadHead();
        return;
    }
    secure = std::make_unique<beast::ssl_stream<beast::tcp_stream>>(std::move(plain), tls);
    auto self = shared_from_this();
    // The bytes read to tell TLS apart are the start of the handshake.
    secure->async_handshake(asio::ssl::stream_base::server, buffer.data(),
                            [self](const ErrorCode& handshakeError, std::size_t used) {
                                if (self->phase == Phase::Closed) return;
                                if (handshakeError) {
                                    self->Close();
                                    return;
                                }
                                self->buffer.consume(used);
                                self->ReadHead();
                            });
}

void HttpConnection::ReadHead()
{
    phase = Phase::Reading;
    request = HttpRequest();
    response = HttpResponse();
    parser.emplace();
    parser->header_limit(maxHeadBytes);
    parser->body_limit(maxBodyBytes);
    Lowest().expires_after(idle);
    auto self = shared_from_this();
    WithStream([&](auto& stream) {
        http::async_read_header(stream, buffer, *parser,
                                [self](const ErrorCode& error, std::size_t) { self->OnHead(error); });
    });
}

void HttpConnection::OnHead(const ErrorCode& error)
{
    if (phase == Phase::Closed) return;
    if (error) {
        OnFailure(error);
        return;
    }
    // A TLS connection opened before the refusal began goes too, at its next
    // request, unanswered: a client that kept it alive must not slip past.
    if (secure && site.RefusesTls()) {
        Close();
        return;
    }
    // The headers now, before the body: trailers of a chunked body are not
    // the request's headers.
    TakeHead();
    const auto& head = parser->get();
    if (head.version() >= 11 && head.count(http::field::host) == 0) {
        Refuse(400, "missing Host header");
        return;
    }
    // Beast reads a body it cannot decode as if there were none; the rest
    // would then pass for the next request.
    if (head.count(http::field::transfer_encoding) != 0 && !parser->chunked()) {
        Refuse(501, "unsupported Transfer-Encoding");
        return;
    }
    if (parser->is_done()) {
        OnRequest();
        return;
    }
    if (head.version() >= 11 && beast::iequals(head[http::field::expect], "100-continue")) {
        auto self = shared_from_this();
        WithStream([&](auto& stream) {
            http::async_write(stream, interim, [self](const ErrorCode& writeError, std::size_t) {
                if (self->phase == Phase::Closed) return;
                if (writeError) self->Close();
                else self->ReadBody();
            });
        });
        return;
    }
    ReadBody();
}

void HttpConnection::ReadBody()
{
    Lowest().expires_after(idle);
    auto self = shared_from_this();
    WithStream([&](auto& stream) {
        http::async_read(stream, buffer, *parser, [self](const ErrorCode& error, std::size_t) { self->OnBody(error); });
    });
}

void HttpConnection::OnBody(const ErrorCode& error)
{
    if (phase == Phase::Closed) return;
    if (error) {
        OnFailure(error);
        return;
    }
    request.body = std::move(parser->get().body());
    OnRequest();
}

void HttpConnection::OnFailure(const ErrorCode& error)
{
    if (!IsRefusal(error)) {
        Close();
        return;
    }
    // HTTP asks servers to skip blank lines ahead of a request line; Beast
    // refuses them as a bad method and leaves them unread.
    if (error == http::error::bad_method && DropBlankLines()) {
        ReadHead();
        return;
    }
    if (!parser->is_header_done()) {
        if (!parser->get().target().empty()) {
            TakeHead();
        } else {
            // A refused request line stays unread in the buffer: log and show
            // it as it came, its first two words as method and target.
            request.requestLine = UnreadFirstLine();
            const std::string& line = request.requestLine;
            const std::size_t first = line.find(' ');
            request.method = line.substr(0, first);
            if (first != std::string::npos) request.target = line.substr(first + 1, line.find(' ', first + 1) - first - 1);
        }
    }
    Refuse(RefusalStatus(error), error.message());
}

void HttpConnection::TakeHead()
{
    const auto& head = parser->get();
    request.method = std::string(head.method_string());
    request.target = std::string(head.target());
    // Beast accepts exactly one space between the parts, so this is the line as sent.
    request.requestLine = request.method + " " + request.target + " HTTP/" + std::to_string(head.version() / 10) +
                          "." + std::to_string(head.version() % 10);
    for (const auto& field : head) {
        request.headers.push_back({std::string(field.name_string()), std::string(field.value())});
    }
    requestVersion = head.version();
}

bool HttpConnection::DropBlankLines()
{
    const auto unread = buffer.data();
    const char* bytes = static_cast<const char*>(unread.data());
    std::size_t count = 0;
    while (count < unread.size() && (bytes[count] == '\r' || bytes[count] == '\n')) ++count;
    buffer.consume(count);
    return count > 0;
}

std::string HttpConnection::UnreadFirstLine() const
{
    const auto unread = buffer.data();
    std::string_view text(static_cast<const char*>(unread.data()), std::min(unread.size(), maxHeadBytes));
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return std::string(text);
}

void HttpConnection::OnRequest()
{
    phase = Phase::Answering;
    response = site.Handle(request, context);
    keepAlive = parser->keep_alive() && !response.closeAfter;
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

void HttpConnection::Refuse(int status, const std::string& reason)
{
    phase = Phase::Answering;
    std::string message = reason;
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

void HttpConnection::SendAnswer()
{
    answer = {};
    answer.result(static_cast<unsigned>(response.status));
    answer.reason(ReasonPhrase(response.status));
    answer.set(http::field::date, HttpDate(NowSeconds()));
    answer.set(http::field::server, "larkspur-site");
    for (const HttpHeader& header : response.headers) answer.insert(header.name, header.value);
    // The full length even when the delivery cuts the body.
    answer.content_length(response.BodySize());
    if (!keepAlive) answer.set(http::field::connection, "close");
    else if (requestVersion == 10) answer.set(http::field::connection, "keep-alive");
    bodyBytes = headOnly ? 0 : response.BodySize();
    if (response.delivery.cutAfter >= 0 && static_cast<unsigned long long>(response.delivery.cutAfter) < bodyBytes) {
        bodyBytes = static_cast<unsigned long long>(response.delivery.cutAfter);
    }
    answer.body() = {response.body ? response.body->data() : nullptr, static_cast<std::size_t>(bodyBytes)};
    if (response.delivery.slowMs > 0) {
        SendSlowly();
        return;
    }
    Lowest().expires_after(idle);
    auto self = shared_from_this();
    if (response.delivery.trickleMs > 0 && bodyBytes > 0) {
        headWriter.emplace(answer);
        WithStream([&](auto& stream) {
            http::async_write_header(stream, *headWriter, [self](const ErrorCode& error, std::size_t) {
                if (self->phase == Phase::Closed) return;
                if (!error) {
                    self->TrickleFrom(0);
                    return;
                }
                self->bodyBytes = 0;
                self->OnWritten(error);
            });
        });
        return;
    }
    WithStream([&](auto& stream) {
        http::async_write(stream, answer, [self](const ErrorCode& error, std::size_t) { self->OnWritten(error); });
    });
}

// A slow host: one body byte, a pause, the next byte, so that every single
// read of the client gets something and only an overall deadline ends it.
void HttpConnection::TrickleFrom(std::size_t sent)
{
    if (sent == bodyBytes) {
        headWriter.reset();
        OnWritten(ErrorCode());
        return;
    }
    auto self = shared_from_this();
    delay.expires_after(std::chrono::milliseconds(sent == 0 ? 0 : response.delivery.trickleMs));
    delay.async_wait([self, sent](const ErrorCode& waitError) {
        if (waitError || self->phase == Phase::Closed) return;
        self->Lowest().expires_after(self->idle);
        self->WithStream([&](auto& stream) {
            asio::async_write(stream, asio::buffer(self->response.body->data() + sent, 1),
                              [self, sent](const ErrorCode& error, std::size_t) {
                                  if (self->phase == Phase::Closed) return;
                                  if (error) {
                                      // The log tells how much of the body the peer got.
                                      self->bodyBytes = sent;
                                      self->OnWritten(error);
                                  } else {
                                      self->TrickleFrom(sent + 1);
                                  }
                              });
        });
    });
}

// A slower host still: the status line and the headers come byte by byte
// too, so that a client waiting for the head with a time-out per read alone
// would wait for ever. Beast writes the answer into memory first; only the
// pacing is ours.
void HttpConnection::SendSlowly()
{
    slowBytes.clear();
    http::response_serializer<http::span_body<const char>> serializer(answer);
    ErrorCode error;
    while (!error && !serializer.is_done()) {
        serializer.next(error, [&](ErrorCode&, const auto& buffers) {
            slowBytes += beast::buffers_to_string(buffers);
            serializer.consume(beast::buffer_bytes(buffers));
        });
    }
    if (error) {
        OnWritten(error);
        return;
    }
    // The body goes out as it is (the answer has a Content-Length), so the
    // head is what comes before it.
    slowHeadSize = slowBytes.size() - static_cast<std::size_t>(bodyBytes);
    SlowFrom(0);
}

void HttpConnection::SlowFrom(std::size_t sent)
{
    if (sent == slowBytes.size()) {
        slowBytes.clear();
        OnWritten(ErrorCode());
        return;
    }
    auto self = shared_from_this();
    delay.expires_after(std::chrono::milliseconds(sent == 0 ? 0 : response.delivery.slowMs));
    delay.async_wait([self, sent](const ErrorCode& waitError) {
        if (waitError || self->phase == Phase::Closed) return;
        self->Lowest().expires_after(self->idle);
        self->WithStream([&](auto& stream) {
            asio::async_write(stream, asio::buffer(self->slowBytes.data() + sent, 1),
                              [self, sent](const ErrorCode& error, std::size_t) {
                                  if (self->phase == Phase::Closed) return;
                                  if (error) {
                                      const std::size_t head = self->slowHeadSize;
                                      self->bodyBytes = sent > head ? sent - head : 0;
                                      self->OnWritten(error);
                                  } else {
                                      self->SlowFrom(sent + 1);
                                  }
                              });
        });
    });
}

void HttpConnection::OnWritten(const ErrorCode& error)
{
    if (phase == Phase::Closed) return;
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
    ReadHead();
}

void HttpConnection::Hold()
{
    // Silent until released, stopped, or the peer goes away; a read stays
    // pending so that a peer closing is noticed.
    phase = Phase::Holding;
    Lowest().expires_never();
    auto self = shared_from_this();
    WithStream([&](auto& stream) {
        stream.async_read_some(asio::buffer(scratch), [self](const ErrorCode& error, std::size_t) {
            if (self->phase != Phase::Holding) return;
            if (error) self->Close();
            else self->Hold();
        });
    });
}

void HttpConnection::CloseGracefully()
{
    phase = Phase::Closing;
    Lowest().expires_after(std::chrono::seconds(2));
    auto self = shared_from_this();
    if (secure) {
        secure->async_shutdown([self](const ErrorCode&) { self->Close(); });
        return;
    }
    // Send FIN, then read until the peer closes too: closing with unread
    // bytes would reset the connection and could destroy the answer before
    // the peer has read it.
    ErrorCode ignored;
    plain.socket().shutdown(tcp::socket::shutdown_send, ignored);
    Drain();
}

void HttpConnection::Drain()
{
    auto self = shared_from_this();
    plain.async_read_some(asio::buffer(scratch), [self](const ErrorCode& error, std::size_t) {
        if (self->phase == Phase::Closed) return;
        if (error) self->Close();
        else self->Drain();
    });
}

void HttpConnection::Close()
{
    if (phase == Phase::Closed) return;
    phase = Phase::Closed;
    delay.cancel();
    ErrorCode ignored;
    Lowest().socket().shutdown(tcp::socket::shutdown_both, ignored);
    Lowest().close();
    registry.Remove(this);
}

void HttpConnection::Record(int status, unsigned long long bytes)
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

}  // namespace

void StartConnection(tcp::socket socket, asio::ssl::context& tls, Site& site, RequestLog& log,
                     ConnectionRegistry& registry, int idleSeconds)
{
    std::make_shared<HttpConnection>(std::move(socket), tls, site, log, registry, idleSeconds)->Start();
}

}  // namespace site
