#ifndef LARKSPUR_FRAMEWORK_CODEPAGE_H
#define LARKSPUR_FRAMEWORK_CODEPAGE_H

#include <string>

// Character boundaries in the system's ANSI code page (Shift-JIS, 932, on the
// target system). A lead byte followed by a valid trail byte is one
// character; every other byte, an invalid or unpaired one included, is a
// character of its own. On Windows the lead bytes come from the system code
// page; elsewhere (the native test build) they are code page 932's.

bool IsLeadByte(unsigned char byte);
bool IsTrailByte(unsigned char byte);

// Length in bytes (1 or 2) of the character that starts at text[index];
// `length` bounds the text.
int CharacterSize(const char* text, int length, int index);

// Index of the first occurrence of `sub` in `text` at or after `start` that
// begins on a character boundary, or -1. `start` must itself be a character
// boundary. Runs in time linear in the scanned text.
int FindCharacterAligned(const char* text, int length, int start, const char* sub, int subLength);

// Appends text (length bytes in the system code page) to utf8 in UTF-8.
// False, with utf8 as it was, when text holds a byte that is no character of
// the code page (an unpaired lead byte, an invalid pair).
bool AppendUtf8(const char* text, int length, std::string& utf8);

#endif
