#include "ServiceSession.h"
#include "ServiceTesting.h"
#include "SignIn.h"
#include "SiteControl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ServiceTesting::FreshStart;

class SignInTest : public testing::Test {
protected:
    void SetUp() override { FreshStart(); }

    // Signs in, keeping the token the sign-in scraped.
    SignInOutcome Outcome(const char* user, const char* password)
    {
        const SignInResult result = SignIn(user, password);
        token = std::string(result.token, result.token.GetLength());
        return result.outcome;
    }

    std::string token;
};

TEST_F(SignInTest, KeepsTheScrapedTokenAndSendsItBack)
{
    EXPECT_EQ(SignInOutcome::SignedIn, Outcome("alice", "wonderland"));
    EXPECT_EQ(40u, token.size());
    EXPECT_EQ(SiteControl::Last("front-token"), token);
    EXPECT_EQ(token, SiteControl::Last("login-token"));
    EXPECT_EQ("alice", SiteControl::Last("login-user"));
    // The front page is posted with an empty body, the form goes over TLS.
    EXPECT_EQ(1, SiteControl::CountInLog(SiteControl::Scheme() + " POST / "));
    EXPECT_EQ(1, SiteControl::CountInLog("https POST /sessions "));
    EXPECT_EQ("authenticity_token=" + token + "&session%5Busername_or_email%5D=alice&session%5Bpassword%5D=wonderland&q=",
              SiteControl::Last("login-form"));
}

TEST_F(SignInTest, LongTokenIsCutTo255)
{
    const std::string value(300, 'k');
    ASSERT_TRUE(SiteControl::Post("token", "mode=fixed&value=" + value));
    Outcome("alice", "wonderland");
    EXPECT_EQ(value.substr(0, 255), token);
    EXPECT_EQ(value.substr(0, 255), SiteControl::Last("login-token"));
}

TEST_F(SignInTest, PasswordReachesTheSiteUnchanged)
{
    const std::string password = "a&b=c+d%e f  %41";
    FreshStart("bob", password);
    EXPECT_EQ(SignInOutcome::SignedIn, Outcome("bob", password.c_str()));
    EXPECT_EQ(password, SiteControl::Last("login-password"));
}

// The site reads its forms as UTF-8: a password (and a name) held in the
// system code page signs in only when sent as UTF-8.
TEST_F(SignInTest, KanaAndSymbolsSignInAsUtf8)
{
    const std::string password = u8"パス ﾜｰﾄﾞ&=+%①漢字";
    FreshStart("kana.user", password);
    const std::string stored = ServiceTesting::ToAnsi(password);
    ASSERT_NE(password, stored);
    EXPECT_EQ(SignInOutcome::SignedIn, Outcome("kana.user", stored.c_str()));
    EXPECT_EQ(password, SiteControl::Last("login-password"));
}

TEST_F(SignInTest, FailurePagesGiveFalse)
{
    // A front page without the hidden field: the form still goes out, with
    // an empty token, and the site rejects its parameters.
    ASSERT_TRUE(SiteControl::Post("token", "mode=none"));
    EXPECT_EQ(SignInOutcome::Refused, Outcome("alice", "wonderland"));
    EXPECT_EQ("", token);
    EXPECT_EQ(0u, SiteControl::Last("login-form").find("authenticity_token=&session%5Busername_or_email%5D=alice"));
    ASSERT_TRUE(SiteControl::Post("token", "mode=normal"));

    // Wrong passwords; from the fourth the site asks for the two words.
    FreshStart();
    for (int attempt = 0; attempt < 4; ++attempt)
        EXPECT_EQ(SignInOutcome::Refused, Outcome("alice", "wrong")) << attempt;
    EXPECT_EQ(SignInOutcome::SignedIn, Outcome("alice", "wonderland"));
}

TEST_F(SignInTest, EachFailureTextGivesFalse)
{
    // Pages arrive in UTF-8 and are converted before the search.
    const char* const pages[] = {
        u8"<p>Invalid request parameters; try again</p>",
        u8"<p>ユーザー名とパスワードの組み合わせが間違っています。</p>",
        u8"<p>画像の中の２つの文字を見つけて入力してください</p>",
    };
    for (const char* page : pages) {
        ASSERT_TRUE(SiteControl::Route("path=/sessions&body=" + SiteControl::Encode(page)));
        EXPECT_EQ(SignInOutcome::Refused, Outcome("alice", "wonderland")) << page;
    }
}

// Any answer without a failure text counts as signed in; no answer at all
// (nothing, or an answer cut short) is not a wrong password.
TEST_F(SignInTest, AnswersWithoutFailureTextCountAsSuccess)
{
    const struct {
        const char* route;
        SignInOutcome outcome;
    } cases[] = {
        {"path=/sessions&body=", SignInOutcome::SignedIn},
        {"path=/sessions&status=500&body=%3Cp%3Etrouble%3C%2Fp%3E", SignInOutcome::SignedIn},
        {"path=/sessions&size=2000&drop=100", SignInOutcome::NoAnswer},
        {"path=/&count=1&size=2000&drop=100", SignInOutcome::NoAnswer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.route);
        ASSERT_TRUE(SiteControl::Route(c.route));
        EXPECT_EQ(c.outcome, Outcome("alice", "nobody checks"));
        SiteControl::Post("route/clear");
    }
}

} // namespace
