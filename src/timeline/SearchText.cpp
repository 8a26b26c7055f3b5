#include "SearchText.h"

#include "CodePage.h"

#include <cstring>

// The wide scan needs SSE2. x86_64 always has it; the i686 build is made for
// processors that may not, so there the scan is compiled for SSE2 alone and
// taken only when the processor reports it.
#if defined(__x86_64__) || defined(__SSE2__)
#define LARKSPUR_SCAN_SSE2 1
#define LARKSPUR_SCAN_SSE2_ALWAYS 1
#elif defined(__i386__)
#define LARKSPUR_SCAN_SSE2 1
#endif

#if defined(LARKSPUR_SCAN_SSE2)
#include <emmintrin.h>
#endif

namespace {

bool IsAsciiCapital(char c)
{
    return c >= 'A' && c <= 'Z';
}

// Bytes of the character at text[index] of a text of length bytes.
int SizeAt(const char* text, int length, int index)
{
    return IsLeadByte(static_cast<unsigned char>(text[index])) && index + 1 < length
                   && IsTrailByte(static_cast<unsigned char>(text[index + 1]))
               ? 2
               : 1;
}

// The plain scan: each place where the first byte stands, then the rest.
const char* ScanBytewise(const char* begin, const char* end, const char* bytes, std::size_t length)
{
    const char* at = begin;
    while (static_cast<std::size_t>(end - at) >= length) {
        at = static_cast<const char*>(std::memchr(at, bytes[0], static_cast<std::size_t>(end - at) - length + 1));
        if (at == nullptr)
            return nullptr;
        if (std::memcmp(at + 1, bytes + 1, length - 1) == 0)
            return at;
        ++at;
    }
    return nullptr;
}

} // namespace

void FoldSearchText(const char* text, int length, char* out)
{
    for (int index = 0; index < length;) {
        const int size = SizeAt(text, length, index);
        out[index] = size == 1 && IsAsciiCapital(text[index]) ? static_cast<char>(text[index] - 'A' + 'a') : text[index];
        if (size == 2)
            out[index + 1] = text[index + 1];
        index += size;
    }
}

bool MakeSearchPattern(const char* text, SearchPattern& pattern)
{
    const int length = static_cast<int>(strnlen(text, maxSearchLength + 1));
    int kept = 0;
    while (kept < length) {
        const int size = SizeAt(text, length, kept);
        if (kept + size > maxSearchLength)
            break;
        kept += size;
    }
    FoldSearchText(text, kept, pattern.bytes);
    pattern.bytes[kept] = 0;
    pattern.length = kept;
    return kept > 0;
}

const char* ScanForPatternPlain(const char* begin, const char* end, const SearchPattern& pattern)
{
    const std::size_t length = static_cast<std::size_t>(pattern.length);
    if (length == 0 || static_cast<std::size_t>(end - begin) < length)
        return nullptr;
    return ScanBytewise(begin, end, pattern.bytes, length);
}

#if defined(LARKSPUR_SCAN_SSE2)

namespace {

// Two bytes of the pattern, its first and its last, are compared at sixteen
// places at once; only where both agree are the bytes between compared. On
// status text that leaves few places to look at, whatever the pattern.
__attribute__((target("sse2"))) const char* ScanForPatternSse2(const char* begin, const char* end,
                                                                 const SearchPattern& pattern)
{
    const std::size_t length = static_cast<std::size_t>(pattern.length);
    if (length == 0 || static_cast<std::size_t>(end - begin) < length)
        return nullptr;
    const char* const bytes = pattern.bytes;
    if (length == 1)
        return static_cast<const char*>(std::memchr(begin, bytes[0], static_cast<std::size_t>(end - begin)));
    const __m128i first = _mm_set1_epi8(bytes[0]);
    const __m128i last = _mm_set1_epi8(bytes[length - 1]);
    const char* at = begin;
    // Each step reads at[0, 16) and at[length - 1, length + 15).
    for (; static_cast<std::size_t>(end - at) >= length + 15; at += 16) {
        const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + length - 1));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(heads, first), _mm_cmpeq_epi8(tails, last))));
        while (mask != 0) {
            const char* const candidate = at + __builtin_ctz(mask);
            if (std::memcmp(candidate + 1, bytes + 1, length - 2) == 0)
                return candidate;
            mask &= mask - 1;
        }
    }
    return ScanBytewise(at, end, bytes, length);
}

#if !defined(LARKSPUR_SCAN_SSE2_ALWAYS)
// Asked once, before main. Until then it reads false, so a scan from another
// file's static initialisation takes the plain path, which is right anyway.
bool ProcessorHasSse2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2") != 0;
}

const bool processorHasSse2 = ProcessorHasSse2();
#endif

} // namespace

#endif

PatternScan WidePatternScan()
{
#if defined(LARKSPUR_SCAN_SSE2_ALWAYS)
    return ScanForPatternSse2;
#elif defined(LARKSPUR_SCAN_SSE2)
    return processorHasSse2 ? ScanForPatternSse2 : nullptr;
#else
    return nullptr;
#endif
}

const char* ScanForPattern(const char* begin, const char* end, const SearchPattern& pattern)
{
    const PatternScan wide = WidePatternScan();
    return wide != nullptr ? wide(begin, end, pattern) : ScanForPatternPlain(begin, end, pattern);
}

bool StartsCharacter(const char* textStart, const char* at, const char* end)
{
    // A byte that cannot lead a character ends one, whether it stands alone
    // or trails a lead byte: the walk starts right after the last such byte.
    const char* walk = at;
    while (walk > textStart && IsLeadByte(static_cast<unsigned char>(walk[-1])))
        --walk;
    while (walk < at) {
        if (IsLeadByte(static_cast<unsigned char>(walk[0])) && walk + 1 < end
            && IsTrailByte(static_cast<unsigned char>(walk[1])))
            walk += 2;
        else
            walk += 1;
    }
    return walk == at;
}

int FindInFoldedText(const char* folded, int length, const SearchPattern& pattern)
{
    const char* const end = folded + length;
    for (const char* at = folded; (at = ScanForPattern(at, end, pattern)) != nullptr; ++at) {
        if (StartsCharacter(folded, at, end) && StartsCharacter(folded, at + pattern.length, end))
            return static_cast<int>(at - folded);
    }
    return -1;
}
