#include "LinkActions.h"

#include "CRichEditCtrl.h"
#include "LinkText.h"
#include "WebAddress.h"

#include <shellapi.h>

namespace {

const int linkTextSize = 256;
const int addressSize = 2048;

} // namespace

void OpenInBrowser(const char* address)
{
    ::ShellExecuteA(nullptr, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT OpenLink(HWND edit, const ENLINK& link, int rules)
{
    if (link.msg != WM_LBUTTONDOWN)
        return 0;
    const LONG first = link.chrg.cpMin;
    const LONG last = link.chrg.cpMax;
    // A character takes at most two bytes: a range of more than 255
    // characters cannot fit, and one that does is checked by its length.
    if (first < 0 || last <= first || last - first > linkTextSize - 1)
        return 0;
    char text[2 * linkTextSize];
    const LONG length = CRichEditCtrl(edit).GetTextRange(first, last, text);
    if (length <= 0 || length > linkTextSize - 1)
        return 0;
    text[length] = 0;

    char address[addressSize];
    if ((rules & webAddressRule) && WebLinkAddress(text, address, sizeof address))
        OpenInBrowser(address);
    else if ((rules & tagRules) && TagLinkAddress(text, WebBaseAddress(), address, sizeof address))
        OpenInBrowser(address);
    return 0;
}
