#ifndef LARKSPUR_VIEWS_PANETEXT_H
#define LARKSPUR_VIEWS_PANETEXT_H

#include "CRichEditCtrl.h"

// Settings the detail and compose panes make on their rich edit controls.

// The formatting rectangle: the client area with its left and top edges
// moved in by 5 pixels.
void SetTextInset(const CRichEditCtrl& edit);

// The panes' font: "ＭＳ Ｐゴシック", 9 points on the screen, default
// character set, normal weight. The caller deletes it once the control has
// taken it as its default format.
HFONT CreatePaneFont();

// Line spacing rule 5 (dyLineSpacing in twentieths of a line): 27/20.
void SetPaneLineSpacing(const CRichEditCtrl& edit);

#endif
