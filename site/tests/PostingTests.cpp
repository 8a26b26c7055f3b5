// Posting a status through the update form.
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace sitetest;

TEST(Posting, RefusesStrangersAndWrongTokens)
{
    RunningServer server;
    const unsigned short port = server.Port();
    Browser stranger(port);
    Reply refused = stranger.Post("/status/update", "authenticity_token=x&status=hi");
    EXPECT_EQ(refused.status, 403);
    EXPECT_NE(refused.body.find("403 Forbidden: The server understood the request, but is refusing to fulfill it."),
              std::string::npos);
    EXPECT_EQ(ControlGet(port, "/__control/last?what=status"), "hi");

    Browser member(port);
    std::string token;
    ASSERT_TRUE(SignInDemo(member, &token));
    EXPECT_EQ(member.Post("/status/update", "authenticity_token=wrong&status=hi").status, 403);
    EXPECT_EQ(member.Post("/status/update", "status=hi").status, 403);
    EXPECT_EQ(member.Get("/status/update").status, 405);
}

TEST(Posting, AddsStatusesAndRefusesDuplicates)
{
    RunningServer server;
    const unsigned short port = server.Port();
    Browser browser(port);
    std::string token;
    ASSERT_TRUE(SignInDemo(browser, &token));

    const std::string text = "日本語 & \"quotes\" + 100% = #fun";
    const std::string form = "authenticity_token=" + FormEncode(token) + "&status=" + FormEncode(text);
    Reply posted = browser.Post("/status/update", form);
    ASSERT_EQ(posted.status, 200);
    std::vector<ScrapedStatus> statuses = ScrapeLikeClient(posted.body, "http://" + server.Host() + "/");
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].screenName, "demo");
    EXPECT_EQ(statuses[0].statusId, "10000000001");
    EXPECT_EQ(statuses[0].text.rfind("日本語 &amp; &quot;quotes&quot; + 100% = <a href=\"/search?q=%23fun\"", 0), 0u);
    EXPECT_EQ(ControlGet(port, "/__control/last?what=status"), text);
    EXPECT_EQ(ControlGet(port, "/__control/last?what=update-form"), form);

    Reply duplicate = browser.Post("/status/update", form);
    EXPECT_NE(duplicate.body.find("同じことをすでにツイートしています。"), std::string::npos);
    // Another user may say the same.
    Control(port, "account", "user=other&password=pw");
    Browser other(port);
    std::string otherToken = Between(other.Post("/", "").body, "authenticity_token\" type=\"hidden\" value=\"", "\"");
    ASSERT_EQ(other.Post("/sessions", "authenticity_token=" + otherToken +
                                          "&session%5Busername_or_email%5D=other&session%5Bpassword%5D=pw&q=", true)
                  .status,
              302);
    Reply second = other.Post("/status/update", "authenticity_token=" + otherToken + "&status=" + FormEncode(text));
    EXPECT_EQ(ScrapeLikeClient(second.body, "http://" + server.Host() + "/").size(), 2u);

    // Reset forgets statuses, sessions and what was recorded.
    ASSERT_EQ(Control(port, "reset", ""), "ok\n");
    int status = 0;
    ControlGet(port, "/__control/last?what=status", &status);
    EXPECT_EQ(status, 404);
    EXPECT_EQ(browser.Post("/status/update", form).status, 403);
}

TEST(Posting, RepliesAreRecordedAndListed)
{
    RunningServer server;
    const unsigned short port = server.Port();
    ASSERT_EQ(Control(port, "status", "user=zed&text=question"), "10000000001\n");
    Browser browser(port);
    std::string token;
    ASSERT_TRUE(SignInDemo(browser, &token));
    const std::string form = "authenticity_token=" + FormEncode(token) + "&status=";
    const std::string base = "http://" + server.Host() + "/";

    Reply answered = browser.Post("/status/update", form + "%40zed+yes&in_reply_to_status_id=10000000001");
    EXPECT_EQ(ControlGet(port, "/__control/last?what=reply-to"), "10000000001");
    std::vector<ScrapedStatus> statuses = ScrapeLikeClient(answered.body, base);
    ASSERT_EQ(statuses.size(), 2u);
    // The link to the answered status comes after the reply's own id.
    EXPECT_EQ(statuses[0].statusId, "10000000002");
    EXPECT_EQ(statuses[0].screenName, "demo");
    EXPECT_NE(answered.body.find("<a href=\"" + base + "zed/status/10000000001\" class=\"in-reply-to\">"),
              std::string::npos);

    // Any text is kept as sent, answered status or not.
    Reply unknown = browser.Post("/status/update", form + "again&in_reply_to_status_id=" + FormEncode("x 9&"));
    EXPECT_EQ(ControlGet(port, "/__control/last?what=reply-to"), "x 9&");
    EXPECT_EQ(ScrapeLikeClient(unknown.body, base).size(), 3u);
    // Only the first reply has a status to link to.
    const std::size_t link = unknown.body.find("class=\"in-reply-to\"");
    EXPECT_NE(link, std::string::npos);
    EXPECT_EQ(unknown.body.find("class=\"in-reply-to\"", link + 1), std::string::npos);

    // A post without the field clears what the one before recorded.
    browser.Post("/status/update", form + "plain");
    int status = 0;
    ControlGet(port, "/__control/last?what=reply-to", &status);
    EXPECT_EQ(status, 404);
    EXPECT_EQ(ControlGet(port, "/__control/last?what=update-form"), form + "plain");
}
