// The pure pieces: form decoding, status text rendering, time text, picture
// names, peer checks, route parameters and the command line.
#include <gtest/gtest.h>

#include <boost/asio/ip/address.hpp>

#include "CommandLine.h"
#include "FormData.h"
#include "HtmlText.h"
#include "ImagePattern.h"
#include "Loopback.h"
#include "RouteTable.h"
#include "TimeText.h"

using namespace site;

TEST(FormData, DecodesTheWayBrowsersEncode)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a+b", "a b"},          {"%41%e3%81%82", "Aあ"}, {"%26%3D%2B%25", "&=+%"},
        {"100%", "100%"},        {"a%2", "a%2"},          {"%zz", "%zz"},
        {"%5Bx%5d", "[x]"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeFormComponent(c.first), c.second) << c.first;

    FormData form("x=1&y&&session%5Bpassword%5D=%26%3D+&x=2");
    EXPECT_EQ(form.Get("x"), "1");
    EXPECT_TRUE(form.Has("y"));
    EXPECT_EQ(form.Get("y", "absent"), "");
    EXPECT_EQ(form.Get("session[password]"), "&= ");
    EXPECT_EQ(form.Get("z", "absent"), "absent");
    EXPECT_EQ(FindCookie("a=1; _site_session=abc; b=2", "_site_session"), "abc");
    EXPECT_EQ(FindCookie("x_site_session=abc", "_site_session"), "");
}

TEST(HtmlText, RendersStatusTextAsTheSiteDid)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a & b < c > d \"e\"", "a &amp; b &lt; c &gt; d &quot;e&quot;"},
        {"see http://x.jp/a?b=1&c=2.",
         "see <a href=\"http://x.jp/a?b=1&amp;c=2\" class=\"tweet-url web\" rel=\"nofollow\" "
         "target=\"_blank\">http://x.jp/a?b=1&amp;c=2</a>."},
        {"https://x.jp/path日本",
         "<a href=\"https://x.jp/path\" class=\"tweet-url web\" rel=\"nofollow\" target=\"_blank\">https://x.jp/path</a>日本"},
        {"@alice_w hi", "@<a class=\"tweet-url username\" href=\"/alice_w\">alice_w</a> hi"},
        {"mail@example.com", "mail@example.com"},
        {"#tokyo!", "<a href=\"/search?q=%23tokyo\" title=\"#tokyo\" class=\"tweet-url hashtag\">#tokyo</a>!"},
        {"#123 and C#", "#123 and C#"},
        {"http:// alone", "http:// alone"},
    };
    for (const auto& c : cases) EXPECT_EQ(RenderStatusText(c.first), c.second) << c.first;
    EXPECT_EQ(EscapeDisplayName("Tom & \"J\" <x>"), "Tom &amp; &quot;J&quot; &lt;x>");
    EXPECT_EQ(FindHashtags("#a b #B_2 http://x.jp/#frag #3"), (std::vector<std::string>{"a", "B_2"}));
}

TEST(TimeText, WritesTheCreationTimeTheClientParses)
{
    EXPECT_EQ(FormatCreatedAt(1262595907), "Mon Jan 04 09:05:07 +0000 2010");
    EXPECT_EQ(FormatCreatedAt(0), "Thu Jan 01 00:00:00 +0000 1970");
    EXPECT_EQ(FormatLogTime(1262595907), "2010-01-04T09:05:07Z");
}

TEST(ImagePattern, ReadsPictureNames)
{
    struct Case {
        const char* name;
        ImageNameKind kind;
        int width, height;
        ImageFormat format;
    };
    const Case cases[] = {
        {"48x48.png", ImageNameKind::Picture, 48, 48, ImageFormat::Png},
        {"73x21.jpg", ImageNameKind::Picture, 73, 21, ImageFormat::Jpeg},
        {"1x512-opaque.png", ImageNameKind::Picture, 1, 512, ImageFormat::OpaquePng},
        {"48x48.gif", ImageNameKind::Picture, 48, 48, ImageFormat::Gif},
        {"24x24.bmp", ImageNameKind::Picture, 24, 24, ImageFormat::Bmp},
        {"0x48.png", ImageNameKind::Unsupported, 0, 0, ImageFormat::Png},
        {"513x1.png", ImageNameKind::Unsupported, 0, 0, ImageFormat::Png},
        {"48x48-opaque.gif", ImageNameKind::Unsupported, 0, 0, ImageFormat::Png},
        {"junk.png", ImageNameKind::NotPicture, 0, 0, ImageFormat::Png},
        {"48x48.tiff", ImageNameKind::NotPicture, 0, 0, ImageFormat::Png},
        {"48x.png", ImageNameKind::NotPicture, 0, 0, ImageFormat::Png},
        {"9999999x1.png", ImageNameKind::NotPicture, 0, 0, ImageFormat::Png},
    };
    for (const Case& c : cases) {
        ImageSpec shape;
        ASSERT_EQ(ParseImageName(c.name, shape), c.kind) << c.name;
        if (c.kind != ImageNameKind::Picture) continue;
        EXPECT_EQ(shape.width, c.width) << c.name;
        EXPECT_EQ(shape.height, c.height) << c.name;
        EXPECT_EQ(shape.format, c.format) << c.name;
    }
}

TEST(Loopback, TellsLoopbackPeersApart)
{
    const std::pair<const char*, bool> cases[] = {
        {"127.0.0.1", true},       {"127.200.3.4", true},     {"::1", true},
        {"::ffff:127.0.0.1", true}, {"10.0.0.1", false},       {"192.168.1.20", false},
        {"::ffff:10.0.0.1", false}, {"fe80::1", false},        {"0.0.0.0", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsLoopback(boost::asio::ip::make_address(c.first)), c.second) << c.first;
    }
}

TEST(RouteTable, ChecksParametersAndCountsUses)
{
    const std::pair<const char*, bool> cases[] = {
        {"path=/x&status=404", true},     {"path=x", false},           {"path=/__control/reset", false},
        {"path=/x&status=99", false},     {"path=/x&size=10&body=a", false}, {"path=/x&stall=1&drop=1", false},
        {"path=/x&hang=2", false},        {"path=/x&count=0", false},  {"path=/x&delay=abc", false},
        {"path=/x&colour=red", false},    {"path=/x&redirect=", false}, {"path=/x&size=5&type=a%2Fb&cookie=c%3D1", true},
    };
    for (const auto& c : cases) {
        Route route;
        EXPECT_EQ(ParseRoute(FormData(c.first), route).empty(), c.second) << c.first;
    }
    Route route;
    ASSERT_EQ(ParseRoute(FormData("path=/x&size=70&count=2"), route), "");
    ASSERT_EQ(route.body->size(), 70u);
    EXPECT_EQ(route.body->substr(0, 3), "012");
    EXPECT_EQ((*route.body)[62], '0');
    EXPECT_EQ((*route.body)[61], 'Z');
    RouteTable table;
    table.Set(route);
    EXPECT_TRUE(table.Take("/x"));
    EXPECT_FALSE(table.Take("/y"));
    EXPECT_TRUE(table.Take("/x"));
    EXPECT_FALSE(table.Take("/x"));
}

TEST(CommandLine, ReadsOptions)
{
    ServerOptions options;
    bool help = false;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--port", "47110", "--data", "/d", "--demo", "--demo-interval=2", "--bind", "::1"},
                                 options, help, error))
        << error;
    EXPECT_EQ(options.port, 47110);
    EXPECT_EQ(options.dataDir, "/d");
    EXPECT_TRUE(options.demo);
    EXPECT_EQ(options.demoIntervalSeconds, 2);
    EXPECT_EQ(options.bind, "::1");

    const std::vector<std::vector<std::string>> bad = {
        {"--data", "/d"},           {"--port", "0"},          {"--port", "70000", "--data", "/d"},
        {"--port", "1", "--data"},  {"--port", "1", "--data", "/d", "--demo-interval", "0"},
        {"--port", "1", "--data", "/d", "--frobnicate"},
    };
    for (const auto& arguments : bad) {
        ServerOptions ignored;
        EXPECT_FALSE(ParseCommandLine(arguments, ignored, help, error)) << arguments.size();
    }
}
