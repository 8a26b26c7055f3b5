#include "DemoContent.h"

#include "HtmlText.h"
#include "TimeText.h"

namespace site {

namespace {

struct DemoUser {
    const char* screenName;
    const char* displayName;
    const char* icon;
};

// Picture file names differ from user to user: the client caches pictures by
// file name. The mix covers alpha, opaque, GIF, JPEG, BMP and odd sizes.
const DemoUser demoUsers[] = {
    {"sakura_h", "桜井 はるか", "/images/sakura_h/48x48.gif"},
    {"kenji_t", "田中 健二", "/images/kenji_t/73x73.jpg"},
    {"alice_w", "Alice Walker", "/images/alice_w/24x24.png"},
    {"tom_jerry", "Tom & \"Jerry\"", "/images/tom_jerry/48x48-opaque.png"},
    {"news_jp", "ニュース速報 <JP>", "/images/news_jp/64x64.bmp"},
    {"mike_dev", "Mike O'Neil", "/images/mike_dev/96x96.png"},
    {"hana_m", "森 花子", "/images/hana_m/40x32.gif"},
};

struct DemoStatus {
    const char* user;
    int minutesAgo;
    const char* text;
};

const DemoStatus demoStatuses[] = {
    {"sakura_h", 610, "おはようございます！今日もいい天気ですね。"},
    {"kenji_t", 595, "朝のコーヒーを飲みながら #tokyo の空を眺めています。"},
    {"alice_w", 580, "Good morning! Reading http://example.com/news before work."},
    {"tom_jerry", 560, "Cheese & crackers for breakfast again... <3"},
    {"news_jp", 545, "【速報】新しい駅が開業しました。詳しくは http://example.jp/eki?id=12&lang=ja をご覧ください。"},
    {"mike_dev", 530, "Fixed a bug where a < b was written as a > b. Classic. #programming"},
    {"hana_m", 512, "@sakura_h おはよう！お昼一緒にどう？"},
    {"sakura_h", 498, "@hana_m いいね！12時に駅前で。"},
    {"demo", 480, "はじめてのツイートです。よろしくお願いします！"},
    {"kenji_t", 455, "He said \"that's impossible\" and then did it anyway."},
    {"alice_w", 430, "Tea > coffee. Fight me. #tea"},
    {"news_jp", 402, "天気予報：午後から雨。傘をお忘れなく。 #天気 #weather"},
    {"mike_dev", 388, "New post: https://blog.example.org/2010/01/strings-and-bytes (Shift_JIS & UTF-8)"},
    {"tom_jerry", 361, "\"Quotes\" & <angle brackets> & ampersands: the HTML escaping test suite."},
    {"hana_m", 340, "新しいカフェを見つけました☕ ケーキが美味しい！ #cafe"},
    {"sakura_h", 318, "RT @news_jp: 天気予報：午後から雨。傘をお忘れなく。"},
    {"kenji_t", 295, "@alice_w Welcome to Tokyo! 東京へようこそ！"},
    {"alice_w", 270, "@kenji_t Thanks! ありがとう! The trains are amazing."},
    {"demo", 251, "Larkspur のデモです。http://localhost/ へようこそ。"},
    {"mike_dev", 233, "TIL: 2 < 3 && 3 > 2 is true in every language I know."},
    {"news_jp", 210, "【お知らせ】明日はメンテナンスのため 02:00〜04:00 に停止します。"},
    {"tom_jerry", 188, "Tom & Jerry & friends: now 50% more cheese. #cheese"},
    {"hana_m", 166, "夕焼けがきれい。写真は http://photos.example.com/hana/sunset.jpg に。"},
    {"sakura_h", 140, "今日のランチはラーメン🍜 #lunch #ramen"},
    {"kenji_t", 117, "週末は箱根に行きます。おすすめある？ @sakura_h @hana_m"},
    {"alice_w", 96, "Shopping list: eggs, milk & bread. Don't forget the \"good\" cheese."},
    {"mike_dev", 75, "Released v1.2 of my tool: https://example.net/tool?v=1.2&os=win32 #release"},
    {"news_jp", 52, "【速報】#tokyo で桜が開花しました。"},
    {"tom_jerry", 31, "<script>alert(1)</script> is not how you say hello."},
    {"demo", 12, "タイムラインの表示テスト中です。 #larkspur"},
    {"hana_m", 4, "おやすみなさい。また明日！"},
};

const DemoStatus tickerStatuses[] = {
    {"sakura_h", 0, "いま何してる？ → 仕事中です。"},
    {"alice_w", 0, "Just saw a cat on the train. Best commute ever. #cats"},
    {"kenji_t", 0, "新しいキーボードを買いました。打ちやすい！"},
    {"news_jp", 0, "【速報】駅前で新しいイベントが始まりました。 http://example.jp/event"},
    {"mike_dev", 0, "Compile, test, repeat. & coffee. #programming"},
    {"tom_jerry", 0, "Cheese count: \"too many\" < \"never enough\"."},
    {"hana_m", 0, "@alice_w その猫見たい！"},
    {"sakura_h", 0, "雨が止みました☀ #天気"},
    {"alice_w", 0, "@mike_dev did you push the fix? https://example.net/fix"},
    {"kenji_t", 0, "お昼はカレーにしよう。 #lunch"},
    {"mike_dev", 0, "Unicode is hard: 日本語 & English in one string."},
    {"news_jp", 0, "【お知らせ】本日の営業は終了しました。"},
};

}  // namespace

void SeedBaseAccounts(SiteState& state)
{
    state.SetAccount("demo", "demo", "デモ ユーザー");
    state.users["demo"].icon = "/images/demo/48x48.png";
}

void SeedDemoContent(SiteState& state, long long now)
{
    for (const DemoUser& demoUser : demoUsers) {
        User& user = state.EnsureUser(demoUser.screenName);
        user.displayName = demoUser.displayName;
        user.icon = demoUser.icon;
    }
    // Seconds vary so that no two statuses share a time.
    int second = 7;
    for (const DemoStatus& demoStatus : demoStatuses) {
        StatusRecord status;
        status.user = demoStatus.user;
        status.plainText = demoStatus.text;
        status.contentHtml = RenderStatusText(status.plainText);
        status.timeText = FormatCreatedAt(now - demoStatus.minutesAgo * 60LL + second);
        second = (second + 13) % 60;
        state.AddStatus(std::move(status));
    }
}

void DemoTickerStatus(std::size_t n, std::string& user, std::string& text)
{
    const DemoStatus& chosen = tickerStatuses[n % (sizeof tickerStatuses / sizeof tickerStatuses[0])];
    user = chosen.user;
    text = chosen.text;
}

}  // namespace site
