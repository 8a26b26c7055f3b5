#include "PaneText.h"

#include <cstdlib>
#include <cstring>

void SetTextInset(const CRichEditCtrl& edit, UINT dpi)
{
    RECT rect;
    edit.GetClientRect(&rect);
    rect.left += ScaleToDpi(5, dpi);
    rect.top += ScaleToDpi(5, dpi);
    edit.SetRect(rect);
}

HFONT CreatePaneFont(UINT dpi)
{
    const HDC screen = ::GetDC(nullptr);
    // 90 tenths of a point, in the screen's logical units.
    POINT size = {0, ::MulDiv(static_cast<int>(dpi), 90, 720)};
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

void SetPaneFont(const CRichEditCtrl& edit, UINT dpi)
{
    const HFONT font = CreatePaneFont(dpi);
    edit.SetFont(font, true);
    SetPaneLineSpacing(edit);
    // The control keeps the face and size as its default format.
    ::DeleteObject(font);
}

HFONT CreateDialogFontAt(HWND dialog, UINT templateDpi, UINT dpi)
{
    return CreateFontForDpi(reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)), templateDpi, dpi);
}

void SetLabelFonts(HWND dialog, UINT templateDpi, UINT dpi, HFONT& labelFont, std::initializer_list<HWND> labels)
{
    const HFONT oldFont = labelFont;
    labelFont = CreateDialogFontAt(dialog, templateDpi, dpi);
    const WPARAM font = labelFont != nullptr ? reinterpret_cast<WPARAM>(labelFont)
                                             : static_cast<WPARAM>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
    for (const HWND label : labels)
        ::SendMessageA(label, WM_SETFONT, font, TRUE);
    if (oldFont != nullptr)
        ::DeleteObject(oldFont);
}

RECT ScaleRect(const RECT& rect, UINT templateDpi, UINT dpi)
{
    const int to = static_cast<int>(dpi);
    const int from = static_cast<int>(templateDpi);
    return {::MulDiv(rect.left, to, from), ::MulDiv(rect.top, to, from), ::MulDiv(rect.right, to, from),
            ::MulDiv(rect.bottom, to, from)};
}

RECT TextInsets(const CRichEditCtrl& edit)
{
    RECT client;
    edit.GetClientRect(&client);
    RECT format = client;
    edit.GetRect(&format);
    return {format.left - client.left, format.top - client.top, client.right - format.right,
            client.bottom - format.bottom};
}

void SetTextInsets(const CRichEditCtrl& edit, const RECT& insets)
{
    RECT rect;
    edit.GetClientRect(&rect);
    rect.left += insets.left;
    rect.top += insets.top;
    rect.right -= insets.right;
    rect.bottom -= insets.bottom;
    edit.SetRect(rect);
}
