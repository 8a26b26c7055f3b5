#include "FindText.h"

#include <gtest/gtest.h>

TEST(FindTextTest, BytesBecomeRichEditPositions)
{
    const struct {
        const char* text;
        int offset;
        int position;
    } cases[] = {
        {"\x82\xa0\x82\xa2x", 4, 2}, // a pair is one position
        {"a\r\nb", 3, 2},            // so is a line break
        {"a\nb\rc", 4, 4},           // and a lone \n or \r
        {"\x82" "a\x82", 3, 2},      // a pair (trail 'a'), then a lone lead byte
        {"ab", 9, 2},                // past the end counts to the end
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.position, RichEditPosition(test.text, test.offset)) << test.text;
}
