#ifndef LARKSPUR_VIEWS_FINDTEXT_H
#define LARKSPUR_VIEWS_FINDTEXT_H

// The texts of the timeline find, as plain functions over code-page byte
// strings, so they build and are tested without a window.

// The rich edit character position of byte offset in text (the detail
// pane's text): a lead byte with its trail byte is one position, a line break
// ("\r\n", or a lone "\r" or "\n") one, every other byte one. An offset past
// the text's end counts up to the end.
int RichEditPosition(const char* text, int offset);

// The status-bar notice of a find: "N 件目 / 全 M 件", or "見つかりません"
// when total is 0. Written into out (size bytes) as ViewFormat.h bounds it.
bool FormatFindNotice(int ordinal, int total, char* out, int size);

#endif
