#include "Server.h"

#include <boost/asio/post.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/ip/v6_only.hpp>

#include <cstdio>
#include <thread>

#include "Connection.h"
#include "Loopback.h"

namespace site {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

class SignalWatch {
public:
    explicit SignalWatch(asio::strand<asio::io_context::executor_type>& strand) : signals(strand) {}
    asio::signal_set signals;
};

Server::Server(ServerOptions serverOptions)
    : options(std::move(serverOptions)),
      control(asio::make_strand(io)),
      tls(asio::ssl::context::tls_server),
      site(options.demo, log),
      ticker(control),
      offlineTimer(control)
{
    site.SetReleaseHandler([this] { registry.ReleaseAll(); });
    site.SetOfflineHandler([this](int milliseconds) { GoOffline(milliseconds); });
}

Server::~Server()
{
    site.SetReleaseHandler(nullptr);
    site.SetOfflineHandler(nullptr);
}

bool Server::Start(std::string& error)
{
    ErrorCode code;
    tls.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                        asio::ssl::context::no_sslv3 | asio::ssl::context::single_dh_use,
                    code);
    const std::string certificate = options.dataDir + "/server.crt";
    const std::string key = options.dataDir + "/server.key";
    tls.use_certificate_chain_file(certificate, code);
    if (code) {
        error = "cannot load " + certificate + ": " + code.message();
        return false;
    }
    tls.use_private_key_file(key, asio::ssl::context::pem, code);
    if (code) {
        error = "cannot load " + key + ": " + code.message();
        return false;
    }
    if (!log.Open(options.dataDir + "/requests.log", error)) return false;

    port = options.port;
    if (!options.bind.empty()) {
        asio::ip::address address = asio::ip::make_address(options.bind, code);
        if (code) {
            error = "bad --bind address " + options.bind;
            return false;
        }
        if (!Listen(address, error)) return false;
    } else {
        if (!Listen(asio::ip::make_address("127.0.0.1"), error)) return false;
        // ::1 as well, on the same port, where the machine has IPv6; the
        // client connects to "localhost", which may resolve to either.
        std::string ignored;
        Listen(asio::ip::make_address("::1"), ignored);
    }
    asio::post(control, [this] {
        for (auto& acceptor : acceptors) Accept(*acceptor);
        if (options.demo) ScheduleTicker();
    });
    return true;
}

bool Server::Listen(const asio::ip::address& address, std::string& error)
{
    auto acceptor = std::make_unique<tcp::acceptor>(control);
    tcp::endpoint endpoint(address, port);
    ErrorCode code;
    acceptor->open(endpoint.protocol(), code);
    if (!code && address.is_v6()) acceptor->set_option(asio::ip::v6_only(true), code);
    if (!code) acceptor->set_option(asio::socket_base::reuse_address(true), code);
    if (!code) acceptor->bind(endpoint, code);
    if (!code) acceptor->listen(asio::socket_base::max_listen_connections, code);
    if (code) {
        error = "cannot listen on " + address.to_string() + " port " + std::to_string(port) + ": " + code.message();
        return false;
    }
    port = acceptor->local_endpoint(code).port();
    acceptors.push_back(std::move(acceptor));
    return true;
}

void Server::Accept(tcp::acceptor& acceptor)
{
    acceptor.async_accept(asio::make_strand(io), [this, &acceptor](const ErrorCode& error, tcp::socket socket) {
        if (stopping || !acceptor.is_open()) return;
        if (error) {
            // Out of descriptors and the like: keep accepting.
            std::fprintf(stderr, "larkspur-site: accept: %s\n", error.message().c_str());
            Accept(acceptor);
            return;
        }
        ErrorCode code;
        tcp::endpoint peer = socket.remote_endpoint(code);
        if (code || !IsLoopback(peer.address())) {
            std::fprintf(stderr, "larkspur-site: refused non-loopback peer %s\n",
                         code ? "?" : peer.address().to_string().c_str());
            socket.close(code);
        } else {
            StartConnection(std::move(socket), tls, site, log, registry, options.idleSeconds);
        }
        Accept(acceptor);
    });
}

void Server::ScheduleTicker()
{
    ticker.expires_after(std::chrono::seconds(options.demoIntervalSeconds));
    ticker.async_wait([this](const ErrorCode& error) {
        if (error || stopping) return;
        site.AddTickerStatus();
        ScheduleTicker();
    });
}

void Server::Run()
{
    // Nothing is meant to throw inside the handlers; should something still
    // do so (memory running out), that one connection is lost, not the server.
    auto serve = [this] {
        for (;;) {
            try {
                io.run();
                return;
            } catch (const std::exception& failure) {
                std::fprintf(stderr, "larkspur-site: %s\n", failure.what());
            }
        }
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < options.threads; ++i) helpers.emplace_back(serve);
    serve();
    for (std::thread& helper : helpers) helper.join();
}

void Server::Stop()
{
    asio::post(control, [this] {
        if (stopping.exchange(true)) return;
        ErrorCode ignored;
        for (auto& acceptor : acceptors) acceptor->close(ignored);
        ticker.cancel();
        offlineTimer.cancel();
        if (signals) signals->signals.cancel(ignored);
        registry.StopAll();
    });
}

void Server::GoOffline(int milliseconds)
{
    asio::post(control, [this, milliseconds] {
        if (stopping) return;
        std::vector<asio::ip::address> addresses;
        ErrorCode ignored;
        for (auto& acceptor : acceptors) {
            addresses.push_back(acceptor->local_endpoint(ignored).address());
            acceptor->close(ignored);
            closedAcceptors.push_back(std::move(acceptor));
        }
        acceptors.clear();
        registry.StopAll();
        offlineTimer.expires_after(std::chrono::milliseconds(milliseconds));
        offlineTimer.async_wait([this, addresses](const ErrorCode& error) {
            if (error || stopping) return;
            for (const asio::ip::address& address : addresses) {
                std::string failure;
                if (Listen(address, failure))
                    Accept(*acceptors.back());
                else
                    std::fprintf(stderr, "larkspur-site: %s\n", failure.c_str());
            }
        });
    });
}

void Server::StopOnSignals()
{
    signals = std::make_unique<SignalWatch>(control);
    ErrorCode ignored;
    signals->signals.add(SIGINT, ignored);
    signals->signals.add(SIGTERM, ignored);
    signals->signals.async_wait([this](const ErrorCode& error, int) {
        if (!error) Stop();
    });
}

}  // namespace site
