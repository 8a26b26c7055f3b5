#ifndef LARKSPUR_VIEWS_PANETEXT_H
#define LARKSPUR_VIEWS_PANETEXT_H

#include <initializer_list>

#include "CRichEditCtrl.h"
#include "DpiScale.h"

// Settings the detail and compose panes make on their rich edit controls.

// The formatting rectangle: the client area with its left and top edges
// moved in by 5 pixels at 96 DPI.
void SetTextInset(const CRichEditCtrl& edit, UINT dpi);

// The panes' font: "ＭＳ Ｐゴシック", 9 points at dpi, default character
// set, normal weight. The caller deletes it once the control has taken it as
// its default format.
HFONT CreatePaneFont(UINT dpi);

// Gives edit the panes' font at dpi with the panes' line spacing.
void SetPaneFont(const CRichEditCtrl& edit, UINT dpi);

// The dialog's own font (made for templateDpi) at dpi: null when the DPIs
// are the same, else a font the caller deletes.
HFONT CreateDialogFontAt(HWND dialog, UINT templateDpi, UINT dpi);

// Gives labels the dialog's font at dpi, kept in labelFont (the font it held
// before is deleted); at the template's DPI, the dialog's own font.
void SetLabelFonts(HWND dialog, UINT templateDpi, UINT dpi, HFONT& labelFont, std::initializer_list<HWND> labels);

// How far the formatting rectangle of edit lies inside its client area on
// each side (the control moves it with the client area's edges as it is
// sized); and the formatting rectangle set from such insets.
RECT TextInsets(const CRichEditCtrl& edit);
void SetTextInsets(const CRichEditCtrl& edit, const RECT& insets);

// A rectangle laid out at templateDpi, at dpi.
RECT ScaleRect(const RECT& rect, UINT templateDpi, UINT dpi);

// Line spacing rule 5 (dyLineSpacing in twentieths of a line): 27/20.
void SetPaneLineSpacing(const CRichEditCtrl& edit);

#endif
