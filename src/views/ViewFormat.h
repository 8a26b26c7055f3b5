#ifndef LARKSPUR_VIEWS_VIEWFORMAT_H
#define LARKSPUR_VIEWS_VIEWFORMAT_H

// The texts the panes show and count, as plain functions over code-page
// byte strings, so they build and are tested without a window.
//
// Every function that writes into a caller's buffer of `size` bytes writes
// at most `size` bytes, the NUL included (nothing at all when size <= 0), and
// cuts only between characters: a double-byte character is copied whole or
// not at all, and the result never ends in a lead byte without its trail
// (such a byte at the end of the source is dropped too). Each returns true
// when the whole text was written, false when it was shortened.

// Length of the longest prefix of text (length bytes) that ends between two
// characters and holds at most limit bytes.
int FittingLength(const char* text, int length, int limit);

// Copies text into out (size bytes) by the rules above.
bool CopyBounded(char* out, int size, const char* text);

// The compose pane's retweet text "RT name: text".
bool FormatRetweet(const char* screenName, const char* strippedText, char* out, int size);

// The compose pane's direct-message prefix "D name ".
bool FormatDirectMessage(const char* screenName, char* out, int size);

// The detail pane's name line "display / screen"; equal names appear twice.
bool FormatNameLine(const char* displayName, const char* screenName, char* out, int size);

// The timeline's name cell: "display\nscreen" when the names differ (case
// matters), the screen name alone otherwise.
bool FormatListName(const char* displayName, const char* screenName, char* out, int size);

// The detail pane's time label "2010-03-10 09:05:07".
bool FormatTimeLabel(int year, int month, int day, int hour, int minute, int second, char* out, int size);

// Characters in text as the rich edit control counts them: a lead byte with
// its trail byte is one character, every other byte (a lone lead byte or an
// invalid byte included) is one.
int CountCharacters(const char* text);

// The compose counter: 140 minus the characters of at most the first 511
// bytes of text (the control's text read into 512 bytes). Negative when the
// text is over the limit.
int CharactersLeft(const char* text);

// True when text has the form of a direct message: 'D' or 'd', then a space.
bool IsDirectMessageText(const char* text);

#endif
