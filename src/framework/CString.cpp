#include "CString.h"

#include "CodePage.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

int Length(const char* text)
{
    return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

} // namespace

char* CString::EmptyText()
{
    // The shared empty value: its negative count marks it; it is never freed.
    struct EmptyValue {
        Data header;
        char text[1];
    };
    static EmptyValue value = {{{-1}, 0, 0}, {0}};
    return value.text;
}

char* CString::Allocate(int capacity)
{
    if (capacity < 0)
        return nullptr;
    void* block = std::malloc(sizeof(Data) + static_cast<size_t>(capacity) + 1);
    if (block == nullptr)
        return nullptr;
    Data* data = new (block) Data;
    data->refs.store(1, std::memory_order_relaxed);
    data->length = 0;
    data->capacity = capacity;
    char* text = reinterpret_cast<char*>(data + 1);
    text[0] = 0;
    return text;
}

void CString::Release()
{
    if (text == EmptyText())
        return;
    Data* data = Header();
    if (data->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        data->~Data();
        std::free(data);
    }
    text = EmptyText();
}

// Makes this string the only owner of a buffer with room for `capacity`
// bytes, keeping the text. False when memory runs out (nothing changed).
bool CString::MakeUnique(int capacity)
{
    Data* data = Header();
    if (data->refs.load(std::memory_order_acquire) == 1 && data->capacity >= capacity)
        return true;
    if (capacity < data->length)
        capacity = data->length;
    char* fresh = Allocate(capacity);
    if (fresh == nullptr)
        return false;
    std::memcpy(fresh, text, static_cast<size_t>(data->length) + 1);
    reinterpret_cast<Data*>(fresh)[-1].length = data->length;
    Release();
    text = fresh;
    return true;
}

void CString::Assign(const char* source, int length)
{
    if (length <= 0) {
        Empty();
        return;
    }
    char* fresh = Allocate(length);
    if (fresh == nullptr)
        return;
    std::memcpy(fresh, source, static_cast<size_t>(length));
    fresh[length] = 0;
    reinterpret_cast<Data*>(fresh)[-1].length = length;
    Release();
    text = fresh;
}

CString::CString() : text(EmptyText()) {}

CString::CString(const char* source) : text(EmptyText())
{
    Assign(source, Length(source));
}

CString::CString(const char* source, int length) : text(EmptyText())
{
    Assign(source, length);
}

CString::CString(const CString& other) : text(other.text)
{
    Data* data = Header();
    if (data->refs.load(std::memory_order_relaxed) >= 0)
        data->refs.fetch_add(1, std::memory_order_relaxed);
}

CString::CString(CString&& other) noexcept : text(other.text)
{
    other.text = EmptyText();
}

CString::~CString()
{
    Release();
}

CString& CString::operator=(const CString& other)
{
    if (text != other.text) {
        CString copy(other);
        std::swap(text, copy.text);
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        Release();
        text = other.text;
        other.text = EmptyText();
    }
    return *this;
}

CString& CString::operator=(const char* source)
{
    // The source may point into this string's own buffer: Assign copies it
    // into a new buffer before the old one is released.
    Assign(source, Length(source));
    return *this;
}

void CString::Empty()
{
    Release();
}

CString& CString::Append(const char* more, int length)
{
    if (more == nullptr || length <= 0)
        return *this;
    const int oldLength = GetLength();
    if (length > 0x7FFFFFFF - 1 - oldLength)
        return *this;
    const int needed = oldLength + length;
    int capacity = Header()->capacity;
    if (Header()->refs.load(std::memory_order_acquire) != 1 || capacity < needed) {
        // Grow geometrically so that appending chunk after chunk stays linear.
        capacity = needed;
        if (oldLength > 0 && needed < 0x3FFFFFFF)
            capacity = needed + needed / 2;
    }
    // `more` may point into our own buffer, which MakeUnique may free.
    const bool aliased = more >= text && more <= text + oldLength;
    const int offset = aliased ? static_cast<int>(more - text) : 0;
    if (!MakeUnique(capacity))
        return *this;
    if (aliased)
        more = text + offset;
    std::memmove(text + oldLength, more, static_cast<size_t>(length));
    text[needed] = 0;
    Header()->length = needed;
    return *this;
}

CString& CString::operator+=(const char* more)
{
    return Append(more, Length(more));
}

CString& CString::operator+=(const CString& more)
{
    if (more.text == text) {
        const CString copy(more);
        return Append(copy.text, copy.GetLength());
    }
    return Append(more.text, more.GetLength());
}

CString& CString::operator+=(char c)
{
    return Append(&c, 1);
}

CString CString::Mid(int first, int count) const
{
    const int length = GetLength();
    if (first < 0)
        first = 0;
    if (first > length)
        first = length;
    if (count < 0)
        count = 0;
    if (count > length - first)
        count = length - first;
    if (first == 0 && count == length)
        return *this;
    return CString(text + first, count);
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

int CString::Find(const char* sub, int start) const
{
    if (sub == nullptr)
        return -1;
    return FindCharacterAligned(text, GetLength(), start, sub, Length(sub));
}

int CString::Find(char c, int start) const
{
    return FindCharacterAligned(text, GetLength(), start, &c, 1);
}

int CString::Replace(const char* old, const char* replacement)
{
    const int oldLength = Length(old);
    if (oldLength == 0)
        return 0;
    const int newLength = Length(replacement);
    int count = 0;
    CString result;
    int copied = 0;
    int pos = Find(old, 0);
    while (pos >= 0) {
        result.Append(text + copied, pos - copied);
        result.Append(replacement, newLength);
        copied = pos + oldLength;
        ++count;
        pos = Find(old, copied);
    }
    if (count > 0) {
        result.Append(text + copied, GetLength() - copied);
        *this = static_cast<CString&&>(result);
    }
    return count;
}

char* CString::GetBuffer(int minLength)
{
    if (!MakeUnique(minLength > GetLength() ? minLength : GetLength()))
        return nullptr;
    return text;
}

void CString::ReleaseBuffer(int newLength)
{
    Data* data = Header();
    if (data->refs.load(std::memory_order_relaxed) < 0)
        return;
    if (newLength < 0 || newLength > data->capacity)
        newLength = static_cast<int>(strnlen(text, static_cast<size_t>(data->capacity)));
    text[newLength] = 0;
    data->length = newLength;
}

bool CString::operator==(const char* other) const
{
    return std::strcmp(text, other == nullptr ? "" : other) == 0;
}

CString operator+(const CString& left, const char* right)
{
    CString result(left);
    result += right;
    return result;
}
