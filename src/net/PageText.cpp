#include "PageText.h"

#include "CodePageConversion.h"

#include <cstdlib>

void ConvertPageFromUtf8(CString& page)
{
    if (page.IsEmpty())
        return;
    // A page never grows when it goes from UTF-8 to the ANSI code page, so a
    // buffer of its length + 1 always holds the whole conversion.
    const int size = page.GetLength() + 1;
    char* converted = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
    if (converted == nullptr)
        return;
    converted[0] = 0;
    if (ConvertCodePage(page, converted, size, Utf8ToAnsi) > 0)
        page = converted;
    std::free(converted);
}

bool ContainsAny(const CString& page, const char* const* markers, int count)
{
    for (int i = 0; i < count; ++i) {
        if (page.Find(markers[i]) >= 0)
            return true;
    }
    return false;
}
