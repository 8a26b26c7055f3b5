#ifndef LARKSPUR_VIEWS_LINKACTIONS_H
#define LARKSPUR_VIEWS_LINKACTIONS_H

#include <windows.h>
#include <richedit.h>

// Hands an address to the user's web browser through the shell. Only
// addresses made by the link rules (WebLinkAddress, TagLinkAddress,
// ProfileAddress) come here.
void OpenInBrowser(const char* address);

// Which link rules a pane applies.
enum LinkRules {
    webAddressRule = 1,
    tagRules = 2
};

// A click on a link in a rich edit pane: only a left-button press acts. The
// link's text comes from the control (at most 255 bytes; a longer link
// opens nothing); a web address opens when its scheme is one a browser is
// for, and with tagRules an @name or #tag opens its page on the site.
// Always 0, so the control goes on with the mouse message.
LRESULT OpenLink(HWND edit, const ENLINK& link, int rules);

#endif
