#ifndef LARKSPUR_NET_CODEPAGECONVERSION_H
#define LARKSPUR_NET_CODEPAGECONVERSION_H

enum ConversionDirection {
    Utf8ToAnsi = 0, // pages as they arrive, to the system's ANSI code page
    AnsiToUtf8 = 1  // form values, to UTF-8 before they are sent
};

// Converts the NUL-terminated source between UTF-8 and the system's ANSI code
// page into dest (destSize bytes). Returns the bytes stored, NUL of the
// converted text included when it fits, always followed by a NUL; a text too
// long is cut by bytes to destSize - 1. 0 when a conversion step fails, -1
// when memory runs out. With destSize 0 nothing is stored and the result is
// the converted length (its NUL included) plus one.
int ConvertCodePage(const char* source, char* dest, int destSize, int direction);

#endif
