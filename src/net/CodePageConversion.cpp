#include "CodePageConversion.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

int ConvertCodePage(const char* source, char* dest, int destSize, int direction)
{
    if (source == nullptr || destSize < 0 || (destSize > 0 && dest == nullptr))
        return 0;
    const UINT from = direction == Utf8ToAnsi ? CP_UTF8 : CP_ACP;
    const UINT to = direction == Utf8ToAnsi ? CP_ACP : CP_UTF8;

    const int wideCount = MultiByteToWideChar(from, 0, source, -1, nullptr, 0);
    if (wideCount == 0)
        return 0;
    wchar_t* wide = static_cast<wchar_t*>(std::malloc(static_cast<size_t>(wideCount) * 2 + 2));
    if (wide == nullptr)
        return -1;
    int result = 0;
    char* bytes = nullptr;
    const int converted = MultiByteToWideChar(from, 0, source, -1, wide, wideCount);
    if (converted != 0) {
        wide[converted] = 0;
        const int count = WideCharToMultiByte(to, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (count == 0) {
            result = 0;
        } else if (destSize == 0) {
            result = count + 1;
        } else if ((bytes = static_cast<char*>(std::malloc(static_cast<size_t>(count) + 1))) == nullptr) {
            result = -1;
        } else {
            const int written = WideCharToMultiByte(to, 0, wide, -1, bytes, count, nullptr, nullptr);
            const int copied = written < destSize - 1 ? written : destSize - 1;
            std::memcpy(dest, bytes, static_cast<size_t>(copied));
            dest[copied] = 0;
            result = copied;
        }
    }
    std::free(bytes);
    std::free(wide);
    return result;
}
