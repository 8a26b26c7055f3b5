// Signing in through the front page and the login form, as the client does.
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace sitetest;

namespace {

const char tokenMarker[] = "authenticity_token\" type=\"hidden\" value=\"";

std::string LoginForm(const std::string& token, const std::string& user, const std::string& password)
{
    return "authenticity_token=" + FormEncode(token) + "&session%5Busername_or_email%5D=" + FormEncode(user) +
           "&session%5Bpassword%5D=" + FormEncode(password) + "&q=";
}

}  // namespace

TEST(SignIn, FrontPageGivesASessionCookieAndAFreshToken)
{
    RunningServer server;
    Browser first(server.Port()), second(server.Port());
    Reply front = first.Post("/", "");
    ASSERT_EQ(front.status, 200);
    std::string cookie = front.Header("Set-Cookie");
    EXPECT_EQ(cookie.find("_site_session="), 0u);
    // Session cookies only: an expiry would make Wine keep them across runs.
    EXPECT_EQ(cookie.find("xpires"), std::string::npos);
    EXPECT_EQ(cookie.find("ax-Age"), std::string::npos);

    std::string token = Between(front.body, tokenMarker, "\"");
    ASSERT_EQ(token.size(), 40u);
    EXPECT_EQ(token.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              std::string::npos);
    EXPECT_NE(front.body.find("<input name=\"authenticity_token\" type=\"hidden\" value=\"" + token + "\" />"),
              std::string::npos);
    EXPECT_EQ(ControlGet(server.Port(), "/__control/last?what=front-token"), token);

    // Same session, same token; another session, another token.
    EXPECT_EQ(Between(first.Get("/", true).body, tokenMarker, "\""), token);
    EXPECT_NE(Between(second.Get("/").body, tokenMarker, "\""), token);
}

TEST(SignIn, WrongTokenWrongPasswordChallengeAndSuccess)
{
    RunningServer server;
    const unsigned short port = server.Port();
    ASSERT_EQ(Control(port, "account", "user=carol&password=" + FormEncode("p&=+% x") + "&name=Carol"), "ok\n");
    Browser browser(port);
    std::string token = Between(browser.Post("/", "").body, tokenMarker, "\"");

    Reply badToken = browser.Post("/sessions", LoginForm("x" + token, "carol", "p&=+% x"), true);
    EXPECT_EQ(badToken.status, 403);
    EXPECT_NE(badToken.body.find("Invalid request parameters;"), std::string::npos);
    Reply noToken = browser.Post("/sessions", "session%5Busername_or_email%5D=carol", true);
    EXPECT_NE(noToken.body.find("Invalid request parameters;"), std::string::npos);

    // Three wrong passwords get the wrong-password page, later ones the challenge.
    for (int attempt = 1; attempt <= 5; ++attempt) {
        Reply wrong = browser.Post("/sessions", LoginForm(token, "carol", "nope"), true);
        EXPECT_EQ(wrong.status, 200);
        bool challenged = wrong.body.find("２つの文字を見つけて入力してください") != std::string::npos;
        bool refused = wrong.body.find("パスワードの組み合わせが間違って") != std::string::npos;
        EXPECT_EQ(challenged, attempt > 3) << attempt;
        EXPECT_EQ(refused, attempt <= 3) << attempt;
    }
    Reply unknown = browser.Post("/sessions", LoginForm(token, "nobody", "x"), true);
    EXPECT_NE(unknown.body.find("２つの文字"), std::string::npos);

    Reply success = browser.Post("/sessions", LoginForm(token, "carol", "p&=+% x"), true);
    EXPECT_EQ(success.status, 302);
    EXPECT_EQ(success.Header("Location"), "https://" + server.Host() + "/");
    EXPECT_EQ(ControlGet(port, "/__control/last?what=login-password"), "p&=+% x");
    EXPECT_EQ(ControlGet(port, "/__control/last?what=login-user"), "carol");
    EXPECT_EQ(ControlGet(port, "/__control/last?what=login-token"), token);
    EXPECT_EQ(ControlGet(port, "/__control/last?what=login-form"), LoginForm(token, "carol", "p&=+% x"));

    // Signed in on both schemes (the redirect keeps https under Wine).
    for (bool tls : {false, true}) {
        Reply home = browser.Get("/", tls);
        EXPECT_NE(home.body.find("carol としてログイン中"), std::string::npos);
        EXPECT_NE(home.body.find(tokenMarker + token + "\""), std::string::npos);
    }
    // Success clears the failures: a wrong password is again just wrong.
    Reply again = browser.Post("/sessions", LoginForm(token, "carol", "nope"), true);
    EXPECT_NE(again.body.find("パスワードの組み合わせが間違って"), std::string::npos);

    std::string log = ControlGet(port, "/__control/log");
    EXPECT_NE(log.find("https POST /sessions 302\n"), std::string::npos);

    // Forgotten sessions, as after a restart: the same cookie gets the front
    // page with the sign-in form again.
    ASSERT_EQ(Control(port, "forget-sessions", ""), "ok\n");
    Reply forgotten = browser.Get("/");
    EXPECT_EQ(forgotten.body.find("carol としてログイン中"), std::string::npos);
    EXPECT_NE(forgotten.body.find("action=\"https://" + server.Host() + "/sessions\""), std::string::npos);
}

TEST(SignIn, AddressesAndTheCookieFollowTheScheme)
{
    RunningServer server;
    const unsigned short port = server.Port();
    ASSERT_EQ(Control(port, "status", "user=zed&text=hi&icon=" + FormEncode("/images/zed/48x48.gif")), "10000000001\n");
    struct Case {
        bool tls;
        const char* scheme;
        bool secureCookie;
    };
    for (const Case& c : {Case{false, "http", false}, Case{true, "https", true}}) {
        SCOPED_TRACE(c.scheme);
        const std::string base = std::string(c.scheme) + "://" + server.Host() + "/";
        Browser browser(port);
        Reply front = browser.Post("/", "", c.tls);
        const std::string cookie = front.Header("Set-Cookie");
        ASSERT_EQ(cookie.rfind("_site_session=", 0), 0u);
        EXPECT_EQ(cookie.find("; Secure") != std::string::npos, c.secureCookie) << cookie;
        EXPECT_NE(front.body.find("<a href=\"" + base + "\" title="), std::string::npos);
        // Signing in is over TLS, whatever the page came over.
        EXPECT_NE(front.body.find("action=\"https://" + server.Host() + "/sessions\""), std::string::npos);

        const std::string token = Between(front.body, tokenMarker, "\"");
        Reply signedIn = browser.Post("/sessions", LoginForm(token, "demo", "demo"), c.tls);
        EXPECT_EQ(signedIn.status, 302);
        EXPECT_EQ(signedIn.Header("Location"), base);

        Reply home = browser.Get("/", c.tls);
        EXPECT_NE(home.body.find("<form action=\"" + base + "status/update\""), std::string::npos);
        // The client takes the author from a link that starts with its own base address.
        std::vector<ScrapedStatus> statuses = ScrapeLikeClient(home.body, base);
        ASSERT_EQ(statuses.size(), 1u);
        EXPECT_EQ(statuses[0].screenName, "zed");
        EXPECT_EQ(statuses[0].iconUrl, base + "images/zed/48x48.gif");
        EXPECT_EQ(statuses[0].statusId, "10000000001");
    }
}

TEST(SignIn, TokenModes)
{
    RunningServer server;
    const unsigned short port = server.Port();
    Browser early(port);
    std::string before = Between(early.Get("/").body, tokenMarker, "\"");

    ASSERT_EQ(Control(port, "token", "mode=none"), "ok\n");
    Browser none(port);
    Reply front = none.Post("/", "");
    EXPECT_EQ(front.body.find("authenticity_token"), std::string::npos);
    // The session still has a token the form must carry.
    Reply refused = none.Post("/sessions", LoginForm("", "demo", "demo"), true);
    EXPECT_EQ(refused.status, 403);
    EXPECT_NE(refused.body.find("Invalid request parameters;"), std::string::npos);

    const std::string fixed = std::string(150, 'A') + std::string(150, 'z');
    ASSERT_EQ(Control(port, "token", "mode=fixed&value=" + fixed), "ok\n");
    Browser browser(port);
    EXPECT_EQ(Between(browser.Post("/", "").body, tokenMarker, "\""), fixed);
    // Sessions opened earlier follow the mode as well.
    EXPECT_EQ(Between(early.Get("/").body, tokenMarker, "\""), fixed);
    EXPECT_NE(before, fixed);
    EXPECT_EQ(browser.Post("/sessions", LoginForm(fixed, "demo", "demo"), true).status, 302);

    int status = 0;
    Control(port, "token", "mode=fixed", &status);
    EXPECT_EQ(status, 400);
    Control(port, "token", "mode=sometimes", &status);
    EXPECT_EQ(status, 400);
}
