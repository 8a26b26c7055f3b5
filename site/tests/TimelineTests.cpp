// The home timeline read the way the client reads it, and the pages around it.
#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"

using namespace sitetest;

namespace {

bool IdGreater(const std::string& a, const std::string& b)
{
    return a.size() != b.size() ? a.size() > b.size() : a > b;
}

}  // namespace

TEST(Timeline, DemoHomePageScrapesIntoCompleteStatuses)
{
    RunningServer server(true);
    Browser browser(server.Port());
    ASSERT_TRUE(SignInDemo(browser));
    Reply home = browser.Get("/");
    ASSERT_EQ(home.status, 200);
    const std::string base = "http://" + server.Host() + "/";
    std::vector<ScrapedStatus> statuses = ScrapeLikeClient(home.body, base);
    ASSERT_EQ(statuses.size(), 20u);

    std::set<std::string> users, icons;
    bool sawEscapedName = false;
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        const ScrapedStatus& status = statuses[i];
        SCOPED_TRACE(status.statusId);
        EXPECT_FALSE(status.screenName.empty());
        EXPECT_FALSE(status.displayName.empty());
        EXPECT_FALSE(status.text.empty());
        EXPECT_EQ(status.statusId.size(), 11u);
        if (i > 0) {
            EXPECT_TRUE(IdGreater(statuses[i - 1].statusId, status.statusId));
        }
        // "Mon Jan 04 09:05:07 +0000 2010": six fields, two-digit day.
        ASSERT_EQ(status.timeText.size(), 30u);
        EXPECT_EQ(status.timeText.substr(19, 7), " +0000 ");
        EXPECT_EQ(status.iconUrl.rfind(base + "images/", 0), 0u);
        // Nothing inside the entry content may end it early.
        EXPECT_EQ(status.text.find("<span"), std::string::npos);
        users.insert(status.screenName);
        icons.insert(status.iconUrl.substr(status.iconUrl.rfind('/')));
        sawEscapedName = sawEscapedName || status.displayName.find("&quot;") != std::string::npos ||
                         status.displayName.find("&amp;") != std::string::npos;
    }
    EXPECT_GE(users.size(), 6u);
    EXPECT_EQ(icons.size(), users.size()) << "every user needs a picture file name of its own";
    EXPECT_TRUE(sawEscapedName);
    EXPECT_NE(home.body.find("&amp;"), std::string::npos);
    EXPECT_NE(home.body.find("class=\"tweet-url hashtag\""), std::string::npos);
    EXPECT_NE(home.body.find("class=\"tweet-url username\""), std::string::npos);
    EXPECT_NE(home.body.find("class=\"tweet-url web\""), std::string::npos);

    // The demo ticker is off the clock here, but the page size is not.
    ASSERT_EQ(Control(server.Port(), "config", "page_size=50"), "ok\n");
    EXPECT_GE(ScrapeLikeClient(browser.Get("/").body, base).size(), 25u);
}

TEST(Timeline, ControlStatusesAppearAsGiven)
{
    RunningServer server;
    const unsigned short port = server.Port();
    const std::string base = "http://" + server.Host() + "/";
    ASSERT_EQ(Control(port, "status", "user=zed&text=" + FormEncode("a&b <c> \"d\" @demo #tag http://x.jp/?a=1&b=2") +
                                          "&name=" + FormEncode("Zed & \"Co\"") + "&icon=%2Fimages%2Fz%2F24x24.png"),
              "10000000001\n");
    ASSERT_EQ(Control(port, "status", "user=zed&html=" + FormEncode("<b>raw</b> &amp;") +
                                          "&id=1234567890123456789&time=" + FormEncode("Tue Feb 02 10:00:00 +0000 2010") +
                                          "&icon=" + FormEncode("http://elsewhere.example/p.gif")),
              "1234567890123456789\n");
    // Automatic ids continue above the largest one given.
    ASSERT_EQ(Control(port, "status", "id=&user=amy&text=later"), "1234567890123456790\n");

    Browser browser(port);
    ASSERT_TRUE(SignInDemo(browser));
    std::vector<ScrapedStatus> statuses = ScrapeLikeClient(browser.Get("/").body, base);
    ASSERT_EQ(statuses.size(), 3u);
    EXPECT_EQ(statuses[0].screenName, "amy");
    EXPECT_EQ(statuses[0].iconUrl, base + "images/amy/48x48.png");
    EXPECT_EQ(statuses[1].statusId, "1234567890123456789");
    EXPECT_EQ(statuses[1].text, "<b>raw</b> &amp;");
    EXPECT_EQ(statuses[1].timeText, "Tue Feb 02 10:00:00 +0000 2010");
    EXPECT_EQ(statuses[1].iconUrl, "http://elsewhere.example/p.gif");
    EXPECT_EQ(statuses[2].screenName, "zed");
    EXPECT_EQ(statuses[2].displayName, "Zed &amp; &quot;Co&quot;");
    EXPECT_EQ(statuses[2].iconUrl, base + "images/z/24x24.png");
    EXPECT_EQ(statuses[2].text,
              "a&amp;b &lt;c&gt; &quot;d&quot; @<a class=\"tweet-url username\" href=\"/demo\">demo</a> "
              "<a href=\"/search?q=%23tag\" title=\"#tag\" class=\"tweet-url hashtag\">#tag</a> "
              "<a href=\"http://x.jp/?a=1&amp;b=2\" class=\"tweet-url web\" rel=\"nofollow\" target=\"_blank\">"
              "http://x.jp/?a=1&amp;b=2</a>");

    int status = 0;
    Control(port, "status", "user=zed", &status);
    EXPECT_EQ(status, 400);
    Control(port, "status", "user=zed&text=a&id=12x", &status);
    EXPECT_EQ(status, 400);
    Control(port, "status", "user=bad%20name&text=a", &status);
    EXPECT_EQ(status, 400);
}

TEST(Timeline, OverloadAuthorPagesAndTagSearch)
{
    RunningServer server;
    const unsigned short port = server.Port();
    Control(port, "status", "user=amy&text=" + FormEncode("hello #Larkspur"));
    Control(port, "status", "user=bob&text=" + FormEncode("no tags, just #larkspurs"));
    Control(port, "status", "user=bob&text=" + FormEncode("#larkspur again"));

    Browser browser(port);
    ASSERT_TRUE(SignInDemo(browser));
    ASSERT_EQ(Control(port, "overload", "on=1"), "ok\n");
    Reply overloaded = browser.Get("/");
    EXPECT_EQ(overloaded.status, 200);
    EXPECT_NE(overloaded.body.find("Twitter is over capacity."), std::string::npos);
    ASSERT_EQ(Control(port, "overload", "on=0"), "ok\n");
    EXPECT_EQ(browser.Get("/").body.find("over capacity"), std::string::npos);

    const std::string base = "http://" + server.Host() + "/";
    std::vector<ScrapedStatus> bobs = ScrapeLikeClient(browser.Get("/bob").body, base);
    ASSERT_EQ(bobs.size(), 2u);
    EXPECT_EQ(bobs[0].screenName, "bob");
    std::vector<ScrapedStatus> tagged = ScrapeLikeClient(browser.Get("/search?q=%23larkspur").body, base);
    ASSERT_EQ(tagged.size(), 2u);
    EXPECT_EQ(tagged[0].screenName, "bob");
    EXPECT_EQ(tagged[1].screenName, "amy");
    Reply single = browser.Get("/bob/status/" + bobs[1].statusId);
    EXPECT_EQ(ScrapeLikeClient(single.body, base).size(), 1u);
    EXPECT_EQ(browser.Get("/nobody").status, 404);
    EXPECT_EQ(browser.Get("/bob/status/1").status, 404);

    ASSERT_EQ(Control(port, "config", "page_size=1"), "ok\n");
    EXPECT_EQ(ScrapeLikeClient(browser.Get("/").body, base).size(), 1u);
}
