#ifndef LARKSPUR_NET_PAGETEXT_H
#define LARKSPUR_NET_PAGETEXT_H

#include "CString.h"

// Converts a page received in UTF-8 to the system code page in place. An empty
// page, or one whose conversion fails, stays as received.
void ConvertPageFromUtf8(CString& page);

// True when page holds any of the count markers (code-page aware search).
bool ContainsAny(const CString& page, const char* const* markers, int count);

#endif
