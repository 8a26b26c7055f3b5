#ifndef LARKSPUR_FRAMEWORK_CSTRING_H
#define LARKSPUR_FRAMEWORK_CSTRING_H

#include <atomic>

// A reference-counted, NUL-terminated, length-counted byte string in the
// system's ANSI code page. Copies share one buffer until one of them is
// written; every empty string shares one static buffer. The count is atomic,
// so copies of one string may live on different threads (page texts travel
// from the workers to the scraper). A single CString object is not meant to
// be written from two threads at once.
//
// Allocation failure leaves the string as it was (operations that build a
// new value then give the empty string); nothing throws.
class CString {
public:
    CString();
    CString(const char* text);
    CString(const char* text, int length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);

    int GetLength() const { return Header()->length; }
    bool IsEmpty() const { return Header()->length == 0; }
    const char* GetString() const { return text; }
    operator const char*() const { return text; }
    char GetAt(int index) const { return text[index]; }

    void Empty();
    CString& Append(const char* more, int length);
    CString& operator+=(const char* more);
    CString& operator+=(const CString& more);
    CString& operator+=(char c);

    // Substrings; positions and counts are clamped to the string.
    CString Mid(int first, int count) const;
    CString Mid(int first) const;
    CString Left(int count) const;

    // Index of the first occurrence at or after `start` that begins on a
    // character boundary (never on the trail byte of a double-byte
    // character), or -1. `start` is taken to be a character boundary.
    int Find(const char* sub, int start = 0) const;
    int Find(char c, int start = 0) const;

    // Replaces every occurrence of `old`, scanning from the start and going on
    // right after each inserted text, so inserted text is never rescanned.
    // Returns the number of replacements.
    int Replace(const char* old, const char* replacement);

    // Direct access for filling the string: a private buffer of at least
    // minLength + 1 bytes holding the current text. ReleaseBuffer sets the
    // length (-1: up to the first NUL).
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    bool operator==(const char* other) const;
    bool operator!=(const char* other) const { return !(*this == other); }

private:
    struct Data {
        std::atomic<long> refs; // < 0 marks the shared empty value, never freed
        int length;
        int capacity; // bytes available for text, NUL excluded
    };

    Data* Header() const { return reinterpret_cast<Data*>(text) - 1; }
    static char* EmptyText();
    static char* Allocate(int capacity);
    void Release();
    bool MakeUnique(int capacity);
    void Assign(const char* source, int length);

    char* text;
};

CString operator+(const CString& left, const char* right);

#endif
