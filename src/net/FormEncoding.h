#ifndef LARKSPUR_NET_FORMENCODING_H
#define LARKSPUR_NET_FORMENCODING_H

#include "CString.h"

// Encodes one form value for application/x-www-form-urlencoded, byte by byte
// as stored: ASCII letters and digits and "*-._" stand as they are, a space
// becomes '+', every other byte %XX with uppercase hexadecimal digits.
CString FormEncode(const char* value);

#endif
