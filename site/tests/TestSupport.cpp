#include "TestSupport.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/write.hpp>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace sitetest {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;

const std::string& CertificateFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/larkspur-site-tests-XXXXXX";
        std::string made = mkdtemp(pattern) ? pattern : "";
        std::string command = std::string("bash '") + LARKSPUR_MAKE_CERTS + "' '" + made + "'";
        if (made.empty() || std::system(command.c_str()) != 0) std::abort();
        return made;
    }();
    // The folder (keys and request log included) goes when the run ends.
    static const struct Remover {
        ~Remover()
        {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    } remover;
    return folder;
}

RunningServer::RunningServer(bool demo, int idleSeconds)
{
    site::ServerOptions options;
    options.port = 0;
    options.dataDir = CertificateFolder();
    options.demo = demo;
    options.idleSeconds = idleSeconds;
    server = std::make_unique<site::Server>(options);
    std::string error;
    if (!server->Start(error)) {
        std::fprintf(stderr, "server did not start: %s\n", error.c_str());
        std::abort();
    }
    runner = std::thread([this] { server->Run(); });
}

RunningServer::~RunningServer()
{
    server->Stop();
    runner.join();
}

std::string Reply::Header(const std::string& name) const
{
    for (const auto& header : headers) {
        if (site::EqualsIgnoringCase(header.first, name)) return header.second;
    }
    return std::string();
}

std::vector<std::string> Reply::Headers(const std::string& name) const
{
    std::vector<std::string> values;
    for (const auto& header : headers) {
        if (site::EqualsIgnoringCase(header.first, name)) values.push_back(header.second);
    }
    return values;
}

Client::Client(unsigned short port, bool useTls) : tlsContext(asio::ssl::context::tls_client), tls(useTls)
{
    ErrorCode error;
    tlsContext.load_verify_file(CertificateFolder() + "/ca.crt", error);
    tlsContext.set_verify_mode(asio::ssl::verify_peer, error);
    stream = std::make_unique<asio::ssl::stream<tcp::socket>>(io, tlsContext);
    stream->set_verify_callback(asio::ssl::host_name_verification("localhost"), error);
    SSL_set_tlsext_host_name(stream->native_handle(), "localhost");
    stream->next_layer().connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port), error);
    if (error) return;
    if (tls) {
        stream->handshake(asio::ssl::stream_base::client, error);
        if (error) return;
    }
    connected = true;
}

Client::~Client()
{
    ErrorCode ignored;
    stream->next_layer().close(ignored);
}

bool Client::Send(const std::string& bytes)
{
    ErrorCode error;
    if (tls) asio::write(*stream, asio::buffer(bytes), error);
    else asio::write(stream->next_layer(), asio::buffer(bytes), error);
    return !error;
}

void Client::EndSending()
{
    ErrorCode ignored;
    stream->next_layer().shutdown(tcp::socket::shutdown_send, ignored);
}

std::size_t Client::ReadSome(char* data, std::size_t size, std::chrono::milliseconds timeout, bool& timedOut,
                             bool& closed)
{
    timedOut = false;
    closed = false;
    bool done = false;
    ErrorCode result;
    std::size_t count = 0;
    auto handler = [&](const ErrorCode& error, std::size_t n) {
        done = true;
        result = error;
        count = n;
    };
    io.restart();
    if (tls) stream->async_read_some(asio::buffer(data, size), handler);
    else stream->next_layer().async_read_some(asio::buffer(data, size), handler);
    io.run_for(timeout);
    if (!done) {
        timedOut = true;
        // Cancel and let the aborted handler run before the buffers go away.
        ErrorCode ignored;
        stream->next_layer().cancel(ignored);
        io.restart();
        io.run();
        return 0;
    }
    if (result) closed = true;
    return result ? 0 : count;
}

Reply Client::Receive(std::chrono::milliseconds timeout, bool headOnly)
{
    Reply reply;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string data = std::move(pending);
    pending.clear();
    std::size_t headEnd = std::string::npos;
    long long length = -1;
    char buffer[65536];
    for (;;) {
        if (headEnd == std::string::npos) {
            headEnd = data.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                std::string head = data.substr(0, headEnd);
                std::size_t lineEnd = head.find("\r\n");
                std::string statusLine = head.substr(0, lineEnd);
                if (statusLine.size() >= 12) reply.status = std::atoi(statusLine.c_str() + 9);
                std::size_t at = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
                while (at < head.size()) {
                    std::size_t end = head.find("\r\n", at);
                    if (end == std::string::npos) end = head.size();
                    std::string line = head.substr(at, end - at);
                    std::size_t colon = line.find(':');
                    if (colon != std::string::npos) {
                        std::string value = line.substr(colon + 1);
                        while (!value.empty() && value[0] == ' ') value.erase(0, 1);
                        reply.headers.emplace_back(line.substr(0, colon), value);
                    }
                    at = end + 2;
                }
                std::string contentLength = reply.Header("Content-Length");
                length = headOnly ? 0 : contentLength.empty() ? -1 : std::atoll(contentLength.c_str());
                data.erase(0, headEnd + 4);
                // A 100 Continue is not the answer: start over after it.
                if (reply.status == 100) {
                    reply = Reply();
                    headEnd = std::string::npos;
                    continue;
                }
            }
        }
        if (headEnd != std::string::npos && length >= 0 && data.size() >= static_cast<std::size_t>(length)) {
            reply.body = data.substr(0, static_cast<std::size_t>(length));
            pending = data.substr(static_cast<std::size_t>(length));
            reply.complete = true;
            return reply;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        bool timedOut = false, closed = false;
        std::size_t n = ReadSome(buffer, sizeof buffer, left, timedOut, closed);
        if (closed) {
            reply.closedByPeer = true;
            break;
        }
        if (timedOut) break;
        data.append(buffer, n);
    }
    if (headEnd != std::string::npos) {
        reply.body = data;
        if (length < 0 && reply.closedByPeer) reply.complete = true;
    } else {
        reply.status = 0;
    }
    return reply;
}

bool Client::ReadFor(std::chrono::milliseconds time, std::string& received)
{
    received = std::move(pending);
    pending.clear();
    auto deadline = std::chrono::steady_clock::now() + time;
    char buffer[65536];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        bool timedOut = false, closed = false;
        std::size_t n = ReadSome(buffer, sizeof buffer, left, timedOut, closed);
        if (closed) return false;
        if (timedOut) return true;
        received.append(buffer, n);
    }
}

bool Client::ClosedWithin(std::chrono::milliseconds time)
{
    std::string ignored;
    return !ReadFor(time, ignored);
}

Reply Browser::Get(const std::string& target, bool tls) { return Request("GET", target, std::string(), tls); }

Reply Browser::Post(const std::string& target, const std::string& form, bool tls)
{
    return Request("POST", target, form, tls, "Content-Type: application/x-www-form-urlencoded\r\n");
}

Reply Browser::Request(const std::string& method, const std::string& target, const std::string& body, bool tls,
                       const std::string& extraHeaders)
{
    Client client(port, tls);
    std::string request = method + " " + target + " HTTP/1.1\r\nHost: localhost:" + std::to_string(port) + "\r\n";
    if (!cookies.empty()) {
        request += "Cookie: ";
        for (std::size_t i = 0; i < cookies.size(); ++i) {
            request += (i ? "; " : "") + cookies[i].first + "=" + cookies[i].second;
        }
        request += "\r\n";
    }
    request += extraHeaders;
    if (method == "POST" || !body.empty()) request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "Connection: close\r\n\r\n" + body;
    if (!client.Send(request)) return Reply();
    Reply reply = client.Receive(5000ms, method == "HEAD");
    for (const std::string& setCookie : reply.Headers("Set-Cookie")) {
        std::string pair = setCookie.substr(0, setCookie.find(';'));
        std::size_t equals = pair.find('=');
        if (equals == std::string::npos) continue;
        std::string name = pair.substr(0, equals), value = pair.substr(equals + 1);
        bool replaced = false;
        for (auto& cookie : cookies) {
            if (cookie.first == name) {
                cookie.second = value;
                replaced = true;
            }
        }
        if (!replaced) cookies.emplace_back(name, value);
    }
    return reply;
}

std::string Browser::Cookie(const std::string& name) const
{
    for (const auto& cookie : cookies) {
        if (cookie.first == name) return cookie.second;
    }
    return std::string();
}

std::string Control(unsigned short port, const std::string& verb, const std::string& form, int* status)
{
    Browser browser(port);
    Reply reply = browser.Post("/__control/" + verb, form);
    if (status) *status = reply.status;
    return reply.body;
}

std::string ControlGet(unsigned short port, const std::string& target, int* status)
{
    Browser browser(port);
    Reply reply = browser.Get(target);
    if (status) *status = reply.status;
    return reply.body;
}

std::string FormEncode(const std::string& value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : value) {
        if (std::isalnum(c) || c == '*' || c == '-' || c == '.' || c == '_') {
            encoded += static_cast<char>(c);
        } else if (c == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += digits[c >> 4];
            encoded += digits[c & 15];
        }
    }
    return encoded;
}

std::string Between(const std::string& text, const std::string& start, const std::string& end, std::size_t from)
{
    std::size_t begin = text.find(start, from);
    if (begin == std::string::npos) return std::string();
    begin += start.size();
    std::size_t stop = text.find(end, begin);
    if (stop == std::string::npos) return std::string();
    return text.substr(begin, stop - begin);
}

std::vector<ScrapedStatus> ScrapeLikeClient(const std::string& page, const std::string& baseAddress)
{
    std::vector<ScrapedStatus> statuses;
    const std::string blockStart = "<li class=\"hentry ";
    std::size_t cursor = 0;
    for (;;) {
        std::size_t begin = page.find(blockStart, cursor);
        if (begin == std::string::npos) break;
        begin += blockStart.size();
        std::size_t end = page.find("<li>", begin);
        if (end == std::string::npos) break;
        std::string block = page.substr(begin, end - begin);
        cursor = end;
        ScrapedStatus status;
        std::string nameBlock = Between(block, "<strong>", "</strong>");
        status.screenName = Between(nameBlock, "<a href=\"" + baseAddress, "\"");
        status.displayName = Between(block, "<img alt=\"", "\"");
        status.iconUrl = Between(block, "src=\"", "\"");
        status.text = Between(block, "<span class=\"entry-content\">", "</span>");
        status.timeText = Between(block, "data=\"{time:'", "'}\">");
        status.statusId = Between(block, "status/", "\">");
        statuses.push_back(status);
    }
    return statuses;
}

bool SignInDemo(Browser& browser, std::string* token)
{
    Reply front = browser.Post("/", std::string());
    std::string found = Between(front.body, "authenticity_token\" type=\"hidden\" value=\"", "\"");
    if (token) *token = found;
    Reply signIn = browser.Post("/sessions",
                                "authenticity_token=" + FormEncode(found) +
                                    "&session%5Busername_or_email%5D=demo&session%5Bpassword%5D=demo&q=",
                                true);
    return signIn.status == 302;
}

}  // namespace sitetest
