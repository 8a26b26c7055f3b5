#include "CodePageConversion.h"
#include "FormEncoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// "日本語のテキスト、表示" in UTF-8 and in code page 932 ("表" ends in 0x5C).
const char utf8Text[] = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9"
                        "\xE3\x83\x88\xE3\x80\x81\xE8\xA1\xA8\xE7\xA4\xBA abc";
const char ansiText[] = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\x81\x41\x95\x5C\x8E\xA6 abc";

TEST(ConvertCodePage, RoundTripsJapaneseText)
{
    char ansi[256];
    const int ansiCount = ConvertCodePage(utf8Text, ansi, sizeof ansi, Utf8ToAnsi);
    EXPECT_STREQ(ansiText, ansi);
    EXPECT_EQ(static_cast<int>(std::strlen(ansiText)) + 1, ansiCount);

    char back[256];
    EXPECT_EQ(static_cast<int>(std::strlen(utf8Text)) + 1, ConvertCodePage(ansi, back, sizeof back, AnsiToUtf8));
    EXPECT_STREQ(utf8Text, back);
}

TEST(ConvertCodePage, CutsByBytesAndAlwaysTerminates)
{
    char dest[16];
    std::memset(dest, 'x', sizeof dest);
    // Cut inside a double-byte character: 5 bytes kept, then NUL.
    EXPECT_EQ(5, ConvertCodePage(utf8Text, dest, 6, Utf8ToAnsi));
    EXPECT_EQ(0, std::memcmp(dest, ansiText, 5));
    EXPECT_EQ(0, dest[5]);
    EXPECT_EQ('x', dest[6]);

    EXPECT_EQ(0, ConvertCodePage("abc", dest, 1, Utf8ToAnsi));
    EXPECT_EQ(0, dest[0]);
}

TEST(ConvertCodePage, SizeQueryWritesNothing)
{
    char dest[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(static_cast<int>(std::strlen(ansiText)) + 2, ConvertCodePage(utf8Text, dest, 0, Utf8ToAnsi));
    EXPECT_EQ(static_cast<int>(std::strlen(utf8Text)) + 2, ConvertCodePage(ansiText, dest, 0, AnsiToUtf8));
    EXPECT_EQ(2, ConvertCodePage("", dest, 0, Utf8ToAnsi));
    EXPECT_EQ(std::string(4, 'x'), std::string(dest, 4));
}

TEST(FormEncode, EncodesEveryByteButTheSafeOnes)
{
    struct Case {
        const char* value;
        const char* encoded;
    } cases[] = {
        {"", ""},
        {"AZaz09*-._", "AZaz09*-._"},
        {"a b", "a+b"},
        {"&=+%", "%26%3D%2B%25"},
        {"~!/?#[]", "%7E%21%2F%3F%23%5B%5D"},
        {"\x95\x5c", "%95%5C"},
        {"\xE3\x81\x82\n", "%E3%81%82%0A"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.encoded, FormEncode(c.value)) << c.value;
}

} // namespace
