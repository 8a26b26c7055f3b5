#ifndef LARKSPUR_TIMELINE_ICONDECODE_H
#define LARKSPUR_TIMELINE_ICONDECODE_H

#include <windows.h>

// Decodes a picture file (any format GDI+ reads) into a new 32-bit GDI
// bitmap, with transparent parts laid over the button-face colour. Null on
// any failure. GDI+ must have been started by the process. The caller owns
// the bitmap; the file is closed again when this returns.
HBITMAP DecodeIconFile(const char* path);

#endif
