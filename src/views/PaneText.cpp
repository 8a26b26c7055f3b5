#include "PaneText.h"

#include <cstdlib>
#include <cstring>

void SetTextInset(const CRichEditCtrl& edit)
{
    RECT rect;
    edit.GetClientRect(&rect);
    rect.left += 5;
    rect.top += 5;
    edit.SetRect(rect);
}

HFONT CreatePaneFont()
{
    const HDC screen = ::GetDC(nullptr);
    // 90 tenths of a point, in the screen's logical units.
    POINT size = {0, ::MulDiv(::GetDeviceCaps(screen, LOGPIXELSY), 90, 720)};
    ::DPtoLP(screen, &size, 1);
    ::ReleaseDC(nullptr, screen);
    LOGFONTA font = {};
    font.lfHeight = -std::abs(size.y);
    font.lfCharSet = DEFAULT_CHARSET;
    static const char face[] = "ＭＳ Ｐゴシック";
    std::memcpy(font.lfFaceName, face, sizeof face);
    return ::CreateFontIndirectA(&font);
}

void SetPaneLineSpacing(const CRichEditCtrl& edit)
{
    PARAFORMAT2 format = {};
    format.cbSize = sizeof format;
    format.dwMask = PFM_LINESPACING;
    format.bLineSpacingRule = 5;
    format.dyLineSpacing = 27;
    edit.SetParaFormat(format);
}
