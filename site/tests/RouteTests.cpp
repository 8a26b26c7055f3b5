// Routes: answers and failures laid over paths by the control interface.
#include <gtest/gtest.h>

#include "RouteTable.h"
#include "TestSupport.h"

using namespace sitetest;

namespace {

std::string Request(const std::string& target, unsigned short port)
{
    return "GET " + target + " HTTP/1.1\r\nHost: localhost:" + std::to_string(port) + "\r\n\r\n";
}

}  // namespace

TEST(Routes, OwnAnswersCountsAndClearing)
{
    RunningServer server;
    const unsigned short port = server.Port();
    ASSERT_EQ(Control(port, "route", "path=/x&status=503&body=" + FormEncode("busy & <b>") +
                                         "&type=text%2Fplain&cookie=" + FormEncode("a=1; path=/") + "&count=2"),
              "ok\n");
    Browser browser(port);
    for (bool tls : {false, true}) {
        Reply reply = browser.Get("/x?ignored=1", tls);
        EXPECT_EQ(reply.status, 503);
        EXPECT_EQ(reply.body, "busy & <b>");
        EXPECT_EQ(reply.Header("Content-Type"), "text/plain");
        EXPECT_EQ(reply.Header("Set-Cookie"), "a=1; path=/");
    }
    EXPECT_EQ(browser.Get("/x").status, 404);  // used up: the site's own answer

    Control(port, "route", "path=/big&size=3000000");
    Reply big = browser.Get("/big");
    ASSERT_EQ(big.body.size(), 3000000u);
    bool same = true;
    for (std::size_t i = 0; i < big.body.size(); i += 9973) same = same && big.body[i] == site::GeneratedByte(i);
    EXPECT_TRUE(same);
    EXPECT_EQ(big.body.substr(60, 4), "YZ01");

    Control(port, "route", "path=/r&redirect=" + FormEncode("/__echo/landed?x=1"));
    Reply moved = browser.Get("/r");
    EXPECT_EQ(moved.status, 302);
    EXPECT_EQ(moved.Header("Location"), "/__echo/landed?x=1");
    Control(port, "route", "path=/__echo/landed&cookie=b%3D2");
    EXPECT_EQ(browser.Get("/__echo/landed?x=1").Header("Set-Cookie"), "b=2");

    ASSERT_EQ(Control(port, "route/clear", "path=/r"), "ok\n");
    EXPECT_EQ(browser.Get("/r").status, 404);
    ASSERT_EQ(Control(port, "route/clear", ""), "ok\n");
    EXPECT_EQ(browser.Get("/big").status, 404);
    EXPECT_EQ(browser.Get("/__echo/landed").Header("Set-Cookie"), "");
}

TEST(Routes, DelayAppliesToTheSitesOwnAnswer)
{
    RunningServer server;
    Control(server.Port(), "route", "path=/&delay=400");
    Browser browser(server.Port());
    auto started = std::chrono::steady_clock::now();
    Reply front = browser.Get("/");
    EXPECT_GE(std::chrono::steady_clock::now() - started, 400ms);
    EXPECT_NE(front.body.find("authenticity_token"), std::string::npos);
}

TEST(Routes, DropAndStallCutTheBody)
{
    RunningServer server;
    const unsigned short port = server.Port();
    Control(port, "route", "path=/drop&size=5000&drop=100");
    Control(port, "route", "path=/stall&size=5000&stall=120");
    // Cutting the real home page mid-block.
    Control(port, "route", "path=/&stall=700");

    Client dropped(port, true);
    dropped.Send(Request("/drop", port));
    Reply cut = dropped.Receive(3000ms);
    EXPECT_EQ(cut.Header("Content-Length"), "5000");
    EXPECT_EQ(cut.body.size(), 100u);
    EXPECT_FALSE(cut.complete);
    EXPECT_TRUE(cut.closedByPeer);

    Client stalled(port, false);
    stalled.Send(Request("/stall", port));
    Reply partial = stalled.Receive(400ms);
    EXPECT_EQ(partial.Header("Content-Length"), "5000");
    std::string expected;
    for (std::size_t i = 0; i < 120; ++i) expected += site::GeneratedByte(i);
    EXPECT_EQ(partial.body, expected);
    EXPECT_FALSE(partial.closedByPeer);

    Client home(port, false);
    home.Send(Request("/", port));
    Reply page = home.Receive(400ms);
    EXPECT_EQ(page.body.size(), 700u);
    EXPECT_GT(std::stoul(page.Header("Content-Length")), 700u);

    EXPECT_EQ(ControlGet(port, "/__control/log"), "https GET /drop 200\nhttp GET /stall 200\nhttp GET / 200\n");
    Control(port, "reset", "");
    EXPECT_TRUE(stalled.ClosedWithin(2000ms));
    EXPECT_TRUE(home.ClosedWithin(2000ms));
    EXPECT_EQ(ControlGet(port, "/__control/log"), "");
}

TEST(Routes, SlowSendsTheHeadByteByByteToo)
{
    RunningServer server;
    const unsigned short port = server.Port();
    ASSERT_EQ(Control(port, "route", "path=/slow&body=done&slow=10&delay=50&count=1"), "ok\n");
    Client client(port, false);
    const auto started = std::chrono::steady_clock::now();
    client.Send("GET /slow HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n");
    // After the delay the first byte comes at once, then one every 10 ms:
    // not even the status line is there after 150 ms.
    std::string first;
    ASSERT_TRUE(client.ReadFor(150ms, first));
    EXPECT_GE(first.size(), 1u);
    EXPECT_LT(first.size(), std::string("HTTP/1.1 200 OK\r\n").size());
    std::string rest;
    EXPECT_FALSE(client.ReadFor(10000ms, rest));  // closed once all is sent
    const std::string whole = first + rest;
    EXPECT_EQ(whole.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_EQ(whole.substr(whole.size() - 8), "\r\n\r\ndone");
    const auto paced = std::chrono::milliseconds(50 + 10 * static_cast<long long>(whole.size() - 1));
    EXPECT_GE(std::chrono::steady_clock::now() - started, paced);
    EXPECT_EQ(ControlGet(port, "/__control/log"), "http GET /slow 200\n");

    // Over the site's own page, on a kept connection: the next answer is whole and quick.
    ASSERT_EQ(Control(port, "route", "path=/__echo/s&slow=1&count=1"), "ok\n");
    Client kept(port, true);
    kept.Send("GET /__echo/s HTTP/1.1\r\nHost: localhost\r\n\r\nGET /__echo/s HTTP/1.1\r\nHost: localhost\r\n\r\n");
    for (int i = 0; i < 2; ++i) {
        Reply reply = kept.Receive(5000ms);
        EXPECT_TRUE(reply.complete) << i;
        EXPECT_NE(reply.body.find("request-line: GET /__echo/s HTTP/1.1\n"), std::string::npos) << i;
    }
}

TEST(Routes, ControlInterfaceAnswers)
{
    RunningServer server;
    const unsigned short port = server.Port();
    int status = 0;
    // Route parameters refused, with the start of their reason.
    const std::pair<const char*, const char*> refusedRoutes[] = {
        {"stall=1&drop=2", "stall and drop"},
        {"slow=0", "slow must be"},
        {"slow=60001", "slow must be"},
        {"slow=fast", "slow must be"},
        {"slow=5&trickle=5", "slow excludes"},
        {"slow=5&stall=0", "slow excludes"},
        {"drop=3&slow=5", "slow excludes"},
        {"slow=5&hang=1", "slow excludes"},
    };
    for (const auto& refused : refusedRoutes) {
        std::string reason = Control(port, "route", std::string("path=/x&") + refused.first, &status);
        EXPECT_EQ(status, 400) << refused.first;
        EXPECT_EQ(reason.rfind(refused.second, 0), 0u) << refused.first << ": " << reason;
    }
    Control(port, "route", "path=/x&slow=60000&hang=0&delay=5&status=503&count=1", &status);
    EXPECT_EQ(status, 200);
    Control(port, "frobnicate", "", &status);
    EXPECT_EQ(status, 404);
    Control(port, "overload", "on=maybe", &status);
    EXPECT_EQ(status, 400);
    Control(port, "config", "page_size=0", &status);
    EXPECT_EQ(status, 400);
    ControlGet(port, "/__control/reset", &status);
    EXPECT_EQ(status, 405);
    ControlGet(port, "/__control/last?what=login-form", &status);
    EXPECT_EQ(status, 404);
    ControlGet(port, "/__control/last?what=everything", &status);
    EXPECT_EQ(status, 400);
    // Parameters from the query string work as well as from the body.
    EXPECT_EQ(Control(port, "account?user=q&password=w", ""), "ok\n");
    // None of this is in the request log.
    EXPECT_EQ(ControlGet(port, "/__control/log"), "");
}
