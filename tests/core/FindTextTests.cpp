#include "FindText.h"

#include <gtest/gtest.h>

namespace {

TEST(FindTextTest, BytesBecomeRichEditPositions)
{
    struct Case {
        const char* text;
        int offset;
        int position;
    };
    const Case cases[] = {
        {"abc", 2, 2},
        {"\x82\xa0\x82\xa2x", 4, 2},     // a pair is one position
        {"a\r\nb", 3, 2},                // so is a line break
        {"a\nb\rc", 4, 4},               // lone breaks count one each
        {"\x82" "a\x82", 3, 2},          // a pair (trail 'a'), then a lone lead byte
        {"\x82\x7f", 1, 1},              // a lead byte before an invalid trail
        {"ab", 9, 2},                    // past the end counts to the end
    };
    for (const Case& test : cases)
        EXPECT_EQ(test.position, RichEditPosition(test.text, test.offset)) << test.text;
}

TEST(FindTextTest, NoticeTellsThePlaceOrThatNothingMatched)
{
    char notice[64];
    EXPECT_TRUE(FormatFindNotice(3, 12, notice, sizeof notice));
    EXPECT_STREQ("3 件目 / 全 12 件", notice);
    EXPECT_TRUE(FormatFindNotice(0, 0, notice, sizeof notice));
    EXPECT_STREQ("見つかりません", notice);
    EXPECT_FALSE(FormatFindNotice(1, 1, notice, 4));
}

} // namespace
