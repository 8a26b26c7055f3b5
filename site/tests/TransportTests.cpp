// The connection layer over real sockets: both schemes on one port,
// persistent connections, broken requests, echo and held requests.
#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"

using namespace sitetest;

namespace {

std::string Get(const std::string& target, unsigned short port, const std::string& extra = std::string(),
                const char* version = "HTTP/1.1")
{
    return "GET " + target + " " + version + "\r\nHost: localhost:" + std::to_string(port) + "\r\n" + extra + "\r\n";
}

}  // namespace

TEST(Transport, ServesBothSchemesOnOnePortWithPersistentConnections)
{
    RunningServer server;
    for (bool tls : {false, true}) {
        Client client(server.Port(), tls);
        ASSERT_TRUE(client.Connected()) << "tls " << tls;
        // Three requests on one connection, the last two sent back to back.
        ASSERT_TRUE(client.Send(Get("/__echo/one", server.Port())));
        Reply first = client.Receive();
        ASSERT_TRUE(first.complete);
        EXPECT_NE(first.body.find(std::string("scheme: ") + (tls ? "https" : "http") + "\n"), std::string::npos);
        ASSERT_TRUE(client.Send(Get("/__echo/two", server.Port()) + Get("/", server.Port())));
        Reply second = client.Receive();
        Reply third = client.Receive();
        EXPECT_NE(second.body.find("target: /__echo/two\n"), std::string::npos);
        EXPECT_EQ(third.status, 200);
        EXPECT_EQ(third.Header("Content-Type"), "text/html; charset=utf-8");
        EXPECT_FALSE(third.closedByPeer);
    }
    std::string log = ControlGet(server.Port(), "/__control/log");
    EXPECT_EQ(log, "http GET /__echo/one 200\nhttp GET /__echo/two 200\nhttp GET / 200\n"
                   "https GET /__echo/one 200\nhttps GET /__echo/two 200\nhttps GET / 200\n");
}

TEST(Transport, ClosesHttp10UnlessAskedToKeepAlive)
{
    RunningServer server;
    Client plain(server.Port(), false);
    ASSERT_TRUE(plain.Send("GET / HTTP/1.0\r\n\r\n"));
    Reply reply = plain.Receive();
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.Header("Connection"), "close");
    EXPECT_TRUE(plain.ClosedWithin(2000ms));
    // Without Host the pages name localhost and the port.
    EXPECT_NE(reply.body.find("https://localhost:" + std::to_string(server.Port()) + "/sessions"), std::string::npos);

    Client kept(server.Port(), false);
    ASSERT_TRUE(kept.Send("GET /__echo HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"));
    EXPECT_EQ(kept.Receive().Header("Connection"), "keep-alive");
    ASSERT_TRUE(kept.Send("GET /__echo HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"));
    EXPECT_EQ(kept.Receive().status, 200);
}

TEST(Transport, EchoShowsTheRequestAsReceived)
{
    RunningServer server;
    Client client(server.Port(), true);
    const std::string body = "a=1&b=%E3%81%82\r\nraw";
    ASSERT_TRUE(client.Send("PUT /__echo/x?q=%7e+y HTTP/1.1\r\nHost: localhost\r\nX-First: 1\r\nx-second:two  \r\n"
                            "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body));
    Reply reply = client.Receive();
    EXPECT_EQ(reply.Header("Content-Type"), "text/plain");
    EXPECT_EQ(reply.body, "scheme: https\n"
                          "request-line: PUT /__echo/x?q=%7e+y HTTP/1.1\n"
                          "target: /__echo/x?q=%7e+y\n"
                          "method: PUT\n"
                          "header: Host: localhost\n"
                          "header: X-First: 1\n"
                          "header: x-second: two\n"
                          "header: Content-Length: " + std::to_string(body.size()) + "\n"
                          "body-length: " + std::to_string(body.size()) + "\n"
                          "body:\n" + body);

    // Chunked bodies arrive de-chunked; a 100-continue is answered first.
    Client chunked(server.Port(), false);
    ASSERT_TRUE(chunked.Send("POST /__echo HTTP/1.1\r\nHost: h\r\nExpect: 100-continue\r\n"
                             "Transfer-Encoding: chunked\r\n\r\n"));
    std::string interim;
    chunked.ReadFor(300ms, interim);
    EXPECT_EQ(interim, "HTTP/1.1 100 Continue\r\n\r\n");
    ASSERT_TRUE(chunked.Send("3\r\nabc\r\n0\r\n\r\n"));
    EXPECT_NE(chunked.Receive().body.find("body-length: 3\nbody:\nabc"), std::string::npos);
}

TEST(Transport, AnswersMalformedRequestsWith400AndLogsThem)
{
    RunningServer server;
    for (bool tls : {false, true}) {
        Client client(server.Port(), tls);
        ASSERT_TRUE(client.Send("POST /sessions http://localhost:47110/\r\nHost: localhost\r\nContent-Length: 0\r\n\r\n"));
        Reply reply = client.Receive();
        EXPECT_EQ(reply.status, 400);
        EXPECT_NE(reply.body.find("POST /sessions http://localhost:47110/"), std::string::npos);
        EXPECT_TRUE(client.ClosedWithin(3000ms));
    }
    EXPECT_EQ(ControlGet(server.Port(), "/__control/log"), "http POST /sessions 400\nhttps POST /sessions 400\n");

    // Binary junk, a TLS-looking first byte without a handshake, and an
    // abandoned half request: none of it stops the server.
    {
        Client junk(server.Port(), false);
        const char bytes[] = "\x00\xff\x01\r\n\r\n\x80garbage\r\n\r\n";
        junk.Send(std::string(bytes, sizeof bytes - 1));
        EXPECT_EQ(junk.Receive().status, 400);
    }
    {
        Client fakeTls(server.Port(), false);
        // The start of a client hello, then plain text where the next record belongs.
        const char bytes[] = "\x16\x03\x01\x00\x05\x01\x00\x00\x40\x00";
        fakeTls.Send(std::string(bytes, sizeof bytes - 1) + "GET / HTTP/1.1\r\n\r\n");
        EXPECT_TRUE(fakeTls.ClosedWithin(3000ms));
    }
    {
        Client half(server.Port(), false);
        half.Send("POST / HTTP/1.1\r\nHost: h\r\nContent-Length: 100\r\n\r\nabc");
    }
    Browser browser(server.Port());
    EXPECT_EQ(browser.Get("/").status, 200);
    EXPECT_EQ(browser.Get("/", true).status, 200);
}

TEST(Transport, RefusesBrokenRequestsAndServesTheNextClient)
{
    struct Case {
        std::string wire;
        int status;        // 0: no answer, the connection just closes
        const char* shown; // in the error page
    };
    const std::string head = "POST /p HTTP/1.1\r\nHost: h\r\n";
    const Case cases[] = {
        {"G(T /g HTTP/1.1\r\nHost: h\r\n\r\n", 400, "G(T /g HTTP/1.1"},
        {"GET /v HTTP/2.0\r\nHost: h\r\n\r\n", 400, "GET /v HTTP/2.0"},
        {"GET /c HTTP/1.1\r\nHost: h\r\nNo colon here\r\n\r\n", 400, "GET /c HTTP/1.1"},
        {"GET /h HTTP/1.1\r\n\r\n", 400, "missing Host header: GET /h HTTP/1.1"},
        {head + "Content-Length: 12abc\r\n\r\n", 400, "POST /p HTTP/1.1"},
        {head + "Content-Length: 5\r\nContent-Length: 6\r\n\r\nhello", 400, "POST /p HTTP/1.1"},
        {head + "Content-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\n", 400, "POST /p HTTP/1.1"},
        {head + "Transfer-Encoding: gzip\r\n\r\n", 501, "POST /p HTTP/1.1"},
        {head + "Transfer-Encoding: chunked\r\n\r\nzz\r\n", 400, "POST /p HTTP/1.1"},
        // Past the limits: a 128 MiB body, a 64 KiB head.
        {head + "Content-Length: 134217729\r\n\r\n", 413, "POST /p HTTP/1.1"},
        {head + "Transfer-Encoding: chunked\r\n\r\n8000001\r\n", 413, "POST /p HTTP/1.1"},
        {head + "X-Long: " + std::string(70000, 'a') + "\r\n\r\n", 431, "POST /p HTTP/1.1"},
        {head + "Content-Length: 100\r\n\r\nabc", 0, nullptr},
    };
    RunningServer server;
    bool tls = false;
    for (const Case& c : cases) {
        Client client(server.Port(), tls);
        ASSERT_TRUE(client.Send(c.wire));
        client.EndSending();
        Reply reply = client.Receive(3000ms);
        EXPECT_EQ(reply.status, c.status) << c.wire.substr(0, 80);
        if (c.shown) {
            EXPECT_NE(reply.body.find(c.shown), std::string::npos) << reply.body;
        }
        EXPECT_TRUE(reply.closedByPeer || client.ClosedWithin(3000ms)) << c.wire.substr(0, 80);
        tls = !tls;
    }
    Browser browser(server.Port());
    EXPECT_EQ(browser.Get("/").status, 200);
    EXPECT_EQ(browser.Get("/", true).status, 200);
}

TEST(Transport, ReadsChunkedBodiesAndSkipsBlankLinesBetweenRequests)
{
    RunningServer server;
    Client client(server.Port(), false);
    const std::string wire = "POST /__echo HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n"
                             "5;ext=1\r\nhello\r\n1\r\n \r\nA\r\n0123456789\r\n0\r\nX-Trailer: x\r\n\r\n"
                             "\r\nGET /__echo/next HTTP/1.1\r\nHost: h\r\n\r\n";
    // In one piece, then a byte at a time, on the same connection.
    for (std::size_t step : {wire.size(), std::size_t(1)}) {
        for (std::size_t at = 0; at < wire.size(); at += step) ASSERT_TRUE(client.Send(wire.substr(at, step)));
        Reply chunked = client.Receive();
        Reply next = client.Receive();
        EXPECT_NE(chunked.body.find("body-length: 16\nbody:\nhello 0123456789"), std::string::npos) << chunked.body;
        // Trailers are not headers of the request.
        EXPECT_EQ(chunked.body.find("X-Trailer"), std::string::npos);
        EXPECT_NE(next.body.find("request-line: GET /__echo/next HTTP/1.1\n"), std::string::npos) << step;
    }
}

TEST(Transport, SurvivesDamagedRequests)
{
    // Random damage to a request with a chunked body: whatever the server
    // makes of it, it answers or closes, and goes on serving.
    RunningServer server;
    const std::string wire = "POST /s?a=1 HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n"
                             "Content-Type: x\r\n\r\n4\r\nabcd\r\n0\r\n\r\n";
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int round = 0; round < 200; ++round) {
        std::string damaged = wire;
        for (int edits = 1 + next() % 4; edits > 0; --edits) {
            std::size_t at = next() % damaged.size();
            switch (next() % 3) {
            case 0: damaged[at] = static_cast<char>(next() & 0xff); break;
            case 1: damaged.erase(at, 1 + next() % 8); break;
            default: damaged.insert(at, std::string(1 + next() % 3, static_cast<char>(next() & 0xff)));
            }
            if (damaged.empty()) damaged = "x";
        }
        Client client(server.Port(), false);
        ASSERT_TRUE(client.Send(damaged));
        client.EndSending();
        EXPECT_TRUE(client.ClosedWithin(3000ms)) << round;
    }
    EXPECT_EQ(Browser(server.Port()).Get("/").status, 200);
}

TEST(Transport, HeldRequestsBlockNobodyAndResetReleasesThem)
{
    RunningServer server;
    ASSERT_EQ(Control(server.Port(), "route", "path=/slow&hang=1"), "ok\n");
    Client held(server.Port(), true);
    ASSERT_TRUE(held.Send(Get("/slow", server.Port())));
    Client heldPlain(server.Port(), false);
    ASSERT_TRUE(heldPlain.Send(Get("/slow", server.Port())));

    // Others are served meanwhile.
    auto started = std::chrono::steady_clock::now();
    Browser browser(server.Port());
    EXPECT_EQ(browser.Get("/").status, 200);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    std::string nothing;
    EXPECT_TRUE(held.ReadFor(200ms, nothing));
    EXPECT_EQ(nothing, "");

    ASSERT_EQ(Control(server.Port(), "reset", ""), "ok\n");
    EXPECT_TRUE(held.ClosedWithin(2000ms));
    EXPECT_TRUE(heldPlain.ClosedWithin(2000ms));
}

TEST(Transport, OfflineRefusesConnectionsThenListensAgain)
{
    RunningServer server;
    Client open(server.Port(), false);
    ASSERT_TRUE(open.Send(Get("/", server.Port())));
    EXPECT_EQ(open.Receive().status, 200);

    Control(server.Port(), "offline", "ms=700");
    // Open connections are dropped and new ones refused, as if the server were down.
    EXPECT_TRUE(open.ClosedWithin(1000ms));
    EXPECT_FALSE(Client(server.Port(), false).Connected());

    const auto deadline = std::chrono::steady_clock::now() + 5s;
    bool back = false;
    while (!back && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
        back = Client(server.Port(), false).Connected();
    }
    EXPECT_TRUE(back);
    Browser browser(server.Port());
    EXPECT_EQ(browser.Get("/", true).status, 200);
    int status = 0;
    Control(server.Port(), "offline", "ms=0", &status);
    EXPECT_EQ(status, 400);
}

TEST(Transport, ShutdownClosesHeldConnections)
{
    auto server = std::make_unique<RunningServer>();
    Control(server->Port(), "route", "path=/slow&hang=1");
    Client held(server->Port(), false);
    ASSERT_TRUE(held.Send(Get("/slow", server->Port())));
    std::string nothing;
    held.ReadFor(100ms, nothing);
    auto started = std::chrono::steady_clock::now();
    server.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_TRUE(held.ClosedWithin(1000ms));
}

TEST(Transport, IdleConnectionsTimeOut)
{
    RunningServer server(false, 1);
    Client silent(server.Port(), false);
    Client halfRequest(server.Port(), true);
    Client kept(server.Port(), false);
    ASSERT_TRUE(halfRequest.Send("GET / HTTP/1.1\r\nHost: h\r\n"));
    ASSERT_TRUE(kept.Send(Get("/", server.Port())));
    EXPECT_EQ(kept.Receive().status, 200);
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(silent.ClosedWithin(3000ms));
    EXPECT_TRUE(halfRequest.ClosedWithin(3000ms));
    EXPECT_TRUE(kept.ClosedWithin(3000ms));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 500ms);
}
