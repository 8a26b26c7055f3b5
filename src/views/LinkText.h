#ifndef LARKSPUR_VIEWS_LINKTEXT_H
#define LARKSPUR_VIEWS_LINKTEXT_H

#include <vector>

// Links in the panes' text: where the @name and #tag runs of a status are,
// and which address a clicked link opens. Plain functions over code-page
// byte strings, so they build and are tested without a window.

// A range of rich edit character positions, first included, last excluded.
struct CharRange {
    int first;
    int last;
};

// The @name and #tag runs of text, the detail pane's text (the status
// without markup, then "\r\n"), in rich edit character positions: a lead
// byte with its trail byte is one position, every other byte one, and a line
// break ("\r\n", or a lone "\r" or "\n") one, as the control stores it.
//
// A run starts at '@' or '#' (another one inside a run starts it again
// there) and goes on over every single-byte character, half-width katakana
// and line breaks included. A space or a colon ends it, as does a double-byte
// character, a lone lead byte or an invalid byte; the ending character is not
// part of the run. A run still open at the end of the text ends before the
// text's trailing line break. Ranges come in text order and never overlap.
std::vector<CharRange> FindEntityRuns(const char* text);

// The address that a click on the web link linkText opens, into out
// (outSize bytes). Accepted: addresses whose scheme is http, https, ftp
// ("scheme://", any case; written in lower case) or mailto ("mailto:"), and
// "www." texts, which open as "http://" + text. Refused (false, out empty):
// every other scheme, anything else, an address holding a double quote,
// white space or a control byte, one that ends in a lead byte without its
// trail, nothing after the prefix, and an address that does not fit out
// (a cut address would open another page).
bool WebLinkAddress(const char* linkText, char* out, int outSize);

// The address that a click on an @name or #tag link opens, on webBase:
// "#tag" opens webBase + "search?q=%23" + tag, "@name" opens webBase + name,
// the name cut to at most 99 bytes between characters first. Name and tag
// are converted to UTF-8 (the site's encoding), then percent-encoded: every
// byte but ASCII letters, digits, '_', '-' and '.' becomes "%XX". A bare "#"
// opens the search without a tag and a bare "@" the site's front page, both
// harmless. False (out empty) for any other text, for a name or tag that is
// no text of the code page, and for an address that does not fit out. No
// text is accepted by both this and WebLinkAddress.
bool TagLinkAddress(const char* linkText, const char* webBase, char* out, int outSize);

// True when text (a status's text as shown) mentions name: "@" and name
// stand in it, the '@' starting a character, name's ASCII letters matched in
// either case, and no name character (an ASCII letter, digit or '_') right
// after it. A name that is no screen name (empty, or holding anything but
// those characters, as an e-mail address does) is mentioned nowhere.
bool MentionsName(const char* text, const char* name);

// True when text begins with "@" and name (a screen name, ASCII letters in
// either case), and no name character follows: the form of a reply to name.
bool StartsWithMention(const char* text, const char* name);

// The author's page: webBase + the screen name in UTF-8, percent-encoded (as
// above).
// False (out empty) when it does not fit out.
bool ProfileAddress(const char* screenName, const char* webBase, char* out, int outSize);

#endif
