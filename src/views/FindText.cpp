#include "FindText.h"

#include "CodePage.h"
#include "ViewFormat.h"

#include <cstdio>
#include <cstring>

int RichEditPosition(const char* text, int offset)
{
    const int length = static_cast<int>(std::strlen(text));
    const int end = offset < length ? offset : length;
    int position = 0;
    for (int index = 0; index < end; ++position) {
        if (text[index] == '\r' && index + 1 < length && text[index + 1] == '\n')
            index += 2;
        else
            index += CharacterSize(text, length, index);
    }
    return position;
}

bool FormatFindNotice(int ordinal, int total, char* out, int size)
{
    if (total <= 0)
        return CopyBounded(out, size, "見つかりません");
    char text[64];
    std::snprintf(text, sizeof text, "%d 件目 / 全 %d 件", ordinal, total);
    return CopyBounded(out, size, text);
}
