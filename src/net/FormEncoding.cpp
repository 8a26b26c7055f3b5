#include "FormEncoding.h"

CString FormEncode(const char* value)
{
    static const char hex[] = "0123456789ABCDEF";
    CString encoded;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(value); *p != 0; ++p) {
        const unsigned char c = *p;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-'
            || c == '.' || c == '_') {
            encoded += static_cast<char>(c);
        } else if (c == ' ') {
            encoded += '+';
        } else {
            const char escape[3] = {'%', hex[c >> 4], hex[c & 15]};
            encoded.Append(escape, 3);
        }
    }
    return encoded;
}
