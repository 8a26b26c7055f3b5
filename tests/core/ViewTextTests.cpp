#include "LinkText.h"
#include "ViewFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char* const webBase = "http://localhost:47110/";

std::string Describe(const std::vector<CharRange>& runs)
{
    std::string text;
    for (const CharRange& run : runs)
        text += (text.empty() ? "" : " ") + std::to_string(run.first) + "-" + std::to_string(run.last);
    return text;
}

TEST(FindEntityRunsTest, MarksNamesAndTagsInControlPositions)
{
    struct Case {
        const char* text;
        const char* runs;
    };
    const Case cases[] = {
        {"@alice: hi\r\n", "0-6"},
        {"@alice hi\r\n", "0-6"},
        {"@alice, thanks\r\n", "0-7"},                  // a comma belongs to the run
        {"see #tag\r\n", "4-8"},                        // ends before the trailing break
        {"@alice\x82\xa0 x\r\n", "0-6"},                // a Japanese character ends it
        {"\x82\xa0@bob\r\n", "1-5"},                    // a pair is one position
        {"a@b@c d\r\n", "3-5"},                         // the second at sign restarts
        {"@ali\r\nce x\r\n", "0-7"},                    // a break continues a run
        {"hi\r\n@bob x\r\n", "3-7"},                    // a name on the second line
        {"a\r\nb\r\n@c\r\n", "4-6"},                    // "\r\n" is one position
        {"a\nb\r@c\r\n", "4-6"},                        // so is a lone "\n" or "\r"
        {"@\xb1\xb2 x\r\n", "0-3"},                     // half-width katakana continue
        {"@ab\x80 @c\x82 x\r\n", "0-3 5-7"},            // invalid and lone lead bytes end it
        {"@a #b\r\n", "0-2 3-5"},
        {"mail a@b.c:x\r\n", "6-10"},
        {"x #\r\n", "2-3"},
        {"@abc", "0-4"},                                // no trailing break to leave out
        {"no runs: here\r\n", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.runs, Describe(FindEntityRuns(c.text))) << c.text;
}

struct AddressCase {
    const char* text;
    int outSize;
    const char* expected; // nullptr: refused
};

void ExpectAddresses(bool (*build)(const char*, char*, int), const AddressCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const AddressCase& c = cases[i];
        // Room past every outSize, to see that nothing is written there.
        char out[1100];
        std::memset(out, 'z', sizeof out);
        out[sizeof out - 1] = 0;
        const bool accepted = build(c.text, out, c.outSize);
        EXPECT_EQ(c.expected != nullptr, accepted) << c.text;
        if (c.outSize > 0) {
            EXPECT_STREQ(c.expected != nullptr ? c.expected : "", out) << c.text;
        }
        EXPECT_EQ('z', out[c.outSize]) << c.text;
    }
}

TEST(WebLinkAddressTest, OpensOnlyWebAndMailAddresses)
{
    const AddressCase cases[] = {
        {"http://example.com/a", 64, "http://example.com/a"},
        {"HTTP://Example.com/", 64, "http://Example.com/"},
        {"HtTpS://x/y?q=1", 64, "https://x/y?q=1"},
        {"ftp://files/x", 64, "ftp://files/x"},
        {"MailTo:a@b.jp", 64, "mailto:a@b.jp"},
        {"www.example.com", 64, "http://www.example.com"},
        {"WWW.x.jp", 64, "http://WWW.x.jp"},
        {"http://x/\x82\xa0", 64, "http://x/\x82\xa0"},
        {"file:///C:/x.exe", 64, nullptr},
        {"javascript:alert(1)", 64, nullptr},
        {"httpx://a", 64, nullptr},
        {"http:a", 64, nullptr},
        {"http://", 64, nullptr},
        {"www.", 64, nullptr},
        {"#tag", 64, nullptr},
        {"\"http://a", 64, nullptr},
        {"http://a\"b", 64, nullptr},
        {"http://a b", 64, nullptr},
        {"http://a\tb", 64, nullptr},
        {"http://a\r\nb", 64, nullptr},
        {"http://a\x0b", 64, nullptr},
        {"http://a\x0c", 64, nullptr},
        {"http://a\x7f", 64, nullptr},
        {"http://x/\x82", 64, nullptr}, // a lead byte without its trail
        {"http://example.com", 19, "http://example.com"},
        {"http://example.com", 18, nullptr},
        {"www.ab", 14, "http://www.ab"},
        {"www.ab", 13, nullptr},
        {"http://a", 0, nullptr},
    };
    ExpectAddresses(WebLinkAddress, cases, sizeof cases / sizeof cases[0]);
}

bool TagAddress(const char* text, char* out, int outSize)
{
    return TagLinkAddress(text, webBase, out, outSize);
}

bool Profile(const char* text, char* out, int outSize)
{
    return ProfileAddress(text, webBase, out, outSize);
}

TEST(TagLinkAddressTest, EncodesNamesAndTagsOnTheSite)
{
    const std::string base = webBase;
    const std::string search = base + "search?q=%23";
    const std::string a97(97, 'a');
    const std::string a98(98, 'a');
    const std::string names[] = {
        "@" + a98 + "\x82\xa0",        // the pair would end at byte 100
        "@" + a97 + "\x82\xa0" + "b",  // the pair ends at byte 99
        "@" + a98 + "aXYZ",
    };
    const std::string expected[] = {
        search + "tag", search + "a%22b%20c", search + "%E3%81%82", search + "http%3A%2F%2Fx", search,
        base + "alice", base + "a_b-c.d", base + "a%2Fb%3Fc%0Dd", base,
        base + a98, base + a97 + "%E3%81%82", base + a98 + "a",
        // Half-width katakana are single bytes of the code page, three in UTF-8.
        search + "%EF%BD%B6%EF%BE%80%EF%BD%B6%EF%BE%85", base + "%EF%BD%B6a",
    };
    const AddressCase cases[] = {
        {"#tag", 64, expected[0].c_str()},
        {"#a\"b c", 64, expected[1].c_str()},
        {"#\x82\xa0", 64, expected[2].c_str()},
        {"#http://x", 64, expected[3].c_str()},
        {"#", 64, expected[4].c_str()},
        {"@alice", 64, expected[5].c_str()},
        {"@a_b-c.d", 64, expected[6].c_str()},
        {"@a/b?c\rd", 64, expected[7].c_str()},
        {"@", 64, expected[8].c_str()},
        {names[0].c_str(), 1024, expected[9].c_str()},
        {names[1].c_str(), 1024, expected[10].c_str()},
        {names[2].c_str(), 1024, expected[11].c_str()},
        {"alice", 64, nullptr},
        {"http://x", 64, nullptr},
        {"", 64, nullptr},
        {"#tag", static_cast<int>(expected[0].size()), nullptr},
        {"#tag", static_cast<int>(expected[0].size()) + 1, expected[0].c_str()},
        {"#\xb6\xc0\xb6\xc5", 128, expected[12].c_str()},
        {"@\xb6""a", 64, expected[13].c_str()},
        {"#a\x82", 64, nullptr}, // a lead byte without its trail is no text
    };
    ExpectAddresses(TagAddress, cases, sizeof cases / sizeof cases[0]);

    const std::string profiles[] = {base + "alice", base + "a%22b", base};
    const AddressCase profileCases[] = {
        {"alice", 64, profiles[0].c_str()},
        {"a\"b", 64, profiles[1].c_str()},
        {"", 64, profiles[2].c_str()},
        {"alice", static_cast<int>(profiles[0].size()), nullptr},
    };
    ExpectAddresses(Profile, profileCases, sizeof profileCases / sizeof profileCases[0]);
}

TEST(ViewFormatTest, CutsOnlyBetweenCharacters)
{
    struct Case {
        const char* text;
        int size;
        const char* expected;
        bool whole;
    };
    const Case cases[] = {
        {"abc", 4, "abc", true},
        {"abc", 3, "ab", false},
        {"abc", 1, "", false},
        {"\x82\xa0", 2, "", false},             // the pair needs two bytes and the NUL
        {"\x82\xa0", 3, "\x82\xa0", true},
        {"a\x82\xa0" "b", 3, "a", false},
        {"ab\x82", 10, "ab", false},             // a lone lead byte at the end goes
        {"\x82\x82\x82", 4, "\x82\x82", false},  // a pair's trail may itself be a lead value
        {"\x82 x", 10, "\x82 x", true},          // a lone lead inside the text stays
    };
    for (const Case& c : cases) {
        char out[16];
        std::memset(out, 'z', sizeof out);
        EXPECT_EQ(c.whole, CopyBounded(out, c.size, c.text)) << c.text << " " << c.size;
        EXPECT_STREQ(c.expected, out) << c.text << " " << c.size;
        EXPECT_EQ('z', out[c.size]) << c.text << " " << c.size;
    }
    char untouched = 'z';
    EXPECT_FALSE(CopyBounded(&untouched, 0, "abc"));
    EXPECT_EQ('z', untouched);
}

TEST(ViewFormatTest, FormatsThePaneTextsIntoTheirBuffers)
{
    char out[512];
    const std::string name(255, 'n');
    const std::string status(399, 's');
    EXPECT_FALSE(FormatRetweet(name.c_str(), status.c_str(), out, sizeof out));
    EXPECT_EQ("RT " + name + ": " + status.substr(0, 511 - 260), out);

    // "RT bob: " is 8 bytes, so the pair would take bytes 510 and 511.
    const std::string cutAtLead = std::string(502, 'a') + "\x82\xa0";
    EXPECT_FALSE(FormatRetweet("bob", cutAtLead.c_str(), out, sizeof out));
    EXPECT_EQ(510u, std::strlen(out));

    EXPECT_FALSE(FormatNameLine(name.c_str(), name.c_str(), out, sizeof out));
    EXPECT_EQ(511u, std::strlen(out));

    struct Case {
        bool whole;
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {FormatDirectMessage("alice", out, sizeof out), out, "D alice "},
        {FormatNameLine("Bob", "Bob", out, sizeof out), out, "Bob / Bob"},
        {FormatListName("Alice", "alice", out, sizeof out), out, "Alice\nalice"},
        {FormatListName("bob", "bob", out, sizeof out), out, "bob"},
        {FormatTimeLabel(2010, 3, 10, 9, 5, 7, out, sizeof out), out, "2010-03-10 09:05:07"},
        {FormatTimeLabel(2010, 3, 10, 9, 5, 7, out, 11), out, "2010-03-10"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, c.text);
    EXPECT_FALSE(cases[5].whole);
    EXPECT_TRUE(cases[4].whole);
}

TEST(ComposeCounterTest, CountsCharactersOfTheFirst511Bytes)
{
    std::string kanji;
    for (int i = 0; i < 600; ++i)
        kanji += "\x82\xa0";
    struct Case {
        std::string text;
        int left;
    };
    const Case cases[] = {
        {std::string(140, 'a'), 0},
        {kanji.substr(0, 280), 0},
        {"\x80\xfd\xff\xb1", 136},            // invalid bytes and half-width katakana: one each
        {"\x82 ", 138},                       // a lone lead byte is one character
        {std::string(600, 'a'), 140 - 511},
        {kanji, 140 - 256},                   // 255 pairs and the lead of the next
        {"", 140},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.left, CharactersLeft(c.text.c_str())) << c.text;
    EXPECT_EQ(600, CountCharacters(kanji.c_str()));
    EXPECT_EQ(3, CountCharacters("a\x82\xa0\x82"));

    const char* const directMessages[] = {"D alice", "d a"};
    const char* const others[] = {"Dalice", " D a", "DM a", "D", ""};
    for (const char* text : directMessages)
        EXPECT_TRUE(IsDirectMessageText(text)) << text;
    for (const char* text : others)
        EXPECT_FALSE(IsDirectMessageText(text)) << text;
}

} // namespace
