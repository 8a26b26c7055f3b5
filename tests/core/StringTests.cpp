#include "CString.h"
#include "CodePage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

TEST(CStringTest, CopiesShareTheBufferUntilOneIsWritten)
{
    CString original("timeline page");
    CString copy(original);
    EXPECT_EQ(original.GetString(), copy.GetString());

    copy += " changed";
    EXPECT_NE(original.GetString(), copy.GetString());
    EXPECT_STREQ("timeline page", original);
    EXPECT_STREQ("timeline page changed", copy);

    CString viaBuffer(original);
    char* buffer = viaBuffer.GetBuffer(20);
    ASSERT_NE(nullptr, buffer);
    buffer[0] = 'T';
    viaBuffer.ReleaseBuffer();
    EXPECT_STREQ("timeline page", original);
    EXPECT_STREQ("Timeline page", viaBuffer);

    CString replaced(original);
    EXPECT_EQ(1, replaced.Replace("page", "view"));
    EXPECT_STREQ("timeline page", original);
    EXPECT_STREQ("timeline view", replaced);
}

TEST(CStringTest, EmptyValuesAreShared)
{
    CString a;
    CString b("");
    CString c("x");
    c.Empty();
    EXPECT_EQ(a.GetString(), b.GetString());
    EXPECT_EQ(a.GetString(), c.GetString());
    EXPECT_EQ(0, c.GetLength());
    EXPECT_STREQ("", c.Mid(5, 3));
}

TEST(CStringTest, FindNeverMatchesAtATrailByte)
{
    struct Case {
        const char* text;
        const char* sub;
        int start;
        int expected;
    };
    const Case cases[] = {
        {"\x95\x5c", "\x5c", 0, -1},              // 0x5C is the trail byte of one character
        {"a\x5c", "\x5c", 0, 1},
        {"\x95\x5c\x5c", "\x5c", 0, 2},           // the second 0x5C stands alone
        {"\x95\x5c\x95\x5c", "\x5c\x95", 0, -1},  // straddles two characters
        {"\x82\xa0status/", "status/", 0, 2},
        {"\x82status/", "status/", 0, -1},        // 's' is the trail byte of 0x82
        {"\x82 status/", "status/", 0, 2},        // 0x82 before a space is a character of its own
        {"\x95", "\x95", 0, 0},                   // a lead byte at the end stands alone
        {"abcabc", "abc", 1, 3},
        {"abc", "", 2, 2},
        {"abc", "abcd", 0, -1},
        {"abc", "c", 4, -1},
    };
    for (const Case& c : cases) {
        const CString text(c.text);
        EXPECT_EQ(c.expected, text.Find(c.sub, c.start)) << "text " << ::testing::PrintToString(std::string(c.text))
                                                         << " sub " << ::testing::PrintToString(std::string(c.sub));
    }
}

// Reference: walk the text character by character from 0 and compare at
// every character start at or after `start`.
int NaiveAlignedFind(const std::string& text, const std::string& sub, int start)
{
    const int length = static_cast<int>(text.size());
    for (int pos = 0; pos <= length; pos += CharacterSize(text.data(), length, pos)) {
        if (pos >= start && text.compare(static_cast<size_t>(pos), sub.size(), sub) == 0
            && pos + static_cast<int>(sub.size()) <= length)
            return pos;
        if (pos == length)
            break;
    }
    return -1;
}

TEST(CStringTest, FindAgreesWithACharacterWalkOnMixedText)
{
    // Bytes that are lead bytes, trail bytes, both, or neither in 932.
    const unsigned char alphabet[] = {0x95, 0x5c, 0x81, 0x40, 'a', ' ', 0xE0, 0xFD, 0x82, 0xA0};
    std::mt19937 random(932);
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(alphabet[random() % sizeof alphabet]);
        std::string sub;
        const int subLength = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < subLength; ++i)
            sub += static_cast<char>(alphabet[random() % sizeof alphabet]);
        // Start only at character boundaries, as callers do.
        int start = 0;
        const int steps = static_cast<int>(random() % 4);
        for (int i = 0; i < steps && start < length; ++i)
            start += CharacterSize(text.data(), length, start);

        const CString subject(text.data(), length);
        ASSERT_EQ(NaiveAlignedFind(text, sub, start), subject.Find(sub.c_str(), start))
            << "text " << ::testing::PrintToString(text) << " sub " << ::testing::PrintToString(sub) << " start "
            << start;
    }
}

TEST(CStringTest, ReplaceChangesEveryOccurrenceWithoutRescanning)
{
    struct Case {
        const char* text;
        const char* old;
        const char* replacement;
        const char* expected;
        int count;
    };
    const Case cases[] = {
        {"a&amp;b&amp;c&amp;", "&amp;", "&", "a&b&c&", 3},
        {"xxxx", "xx", "x", "xx", 2},
        {"aaa", "a", "aa", "aaaaaa", 3},   // inserted text is not searched again
        {"&amp;amp;", "&amp;", "&", "&amp;", 1},
        {"abc", "d", "e", "abc", 0},
        {"abcabc", "abc", "", "", 2},
        {"\x95\x5c\x5c", "\x5c", "/", "\x95\x5c/", 1},
    };
    for (const Case& c : cases) {
        CString text(c.text);
        EXPECT_EQ(c.count, text.Replace(c.old, c.replacement)) << c.text;
        EXPECT_STREQ(c.expected, text) << c.text;
    }
}

TEST(CStringTest, AppendAcrossManyChunksKeepsEveryByte)
{
    CString text;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        const std::string piece = std::to_string(i) + (i % 7 == 0 ? "\x82\xa0" : ",");
        text.Append(piece.data(), static_cast<int>(piece.size()));
        expected += piece;
    }
    ASSERT_EQ(static_cast<int>(expected.size()), text.GetLength());
    EXPECT_EQ(expected, std::string(text.GetString(), static_cast<size_t>(text.GetLength())));

    // Appending a string to itself reads the old value, not the growing one.
    CString twice("abc");
    twice += twice;
    EXPECT_STREQ("abcabc", twice);
}

} // namespace
