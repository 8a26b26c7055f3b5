#ifndef LARKSPUR_FRAMEWORK_FRAMEBARS_H
#define LARKSPUR_FRAMEWORK_FRAMEBARS_H

#include <windows.h>
#include <commctrl.h>

#include "DpiScale.h"

// The pieces of a frame window's bars that do not depend on the frame's type.

// Control ids of the frame's bars and the id of its first rebar band.
const UINT topBarId = 0xE800;
const UINT statusBarId = 0xE801;
const UINT firstBandId = 0xEB00;

// The command strings of the string table hold a status-bar prompt, a line
// break and a short name (the tooltip). Copies one part into text (size
// bytes, always terminated); false when the string or the part is missing.
// A string without a line break is all prompt and has no short name.
bool LoadPromptText(HINSTANCE instance, UINT id, char* text, int size);
bool LoadShortName(HINSTANCE instance, UINT id, char* text, int size);

// A bitmap of the toolbar's images drawn at another width (the height in
// proportion), for displays above 96 DPI.
struct ToolBarStrip {
    int imageWidth;
    UINT bitmapId;
};

// A toolbar made from a TOOLBAR resource and the bitmap of the same id:
// buttons and separators in resource order, images taken in button order.
// At dpi the images come from the strip (that bitmap or one of strips)
// whose width is nearest the resource's width scaled to dpi, never
// stretched; button padding and separators scale with dpi.
HWND CreateToolBarFromResource(HINSTANCE instance, HWND parent, UINT resourceId, DWORD style, UINT id,
                               const ToolBarStrip* strips = nullptr, int stripCount = 0, UINT dpi = defaultDpi);

// Sizes the buttons anew for the toolbar's present font (after it was given
// another): as tall as the larger of a picture and a line of text, padded at
// dpi.
void FitToolBarButtons(HWND toolBar, UINT dpi);

// Gives the buttons of these commands their short name (or, without one,
// their whole string) as text shown beside the picture; the other buttons
// keep showing their picture alone.
void ShowButtonTexts(HINSTANCE instance, HWND toolBar, const UINT* commands, int count);

// A rebar of the given style; and a band holding child (a toolbar) on a new
// row, with a child edge and a chevron for buttons the band cannot show.
HWND CreateReBar(HINSTANCE instance, HWND parent, DWORD style, UINT id);
bool AddToolBarBand(HWND reBar, HWND toolBar, bool newRow);
// Brings the band that holds toolBar up to the toolbar's present size (after
// buttons changed), so the chevron knows what is hidden.
void FitToolBarBand(HWND reBar, HWND toolBar);
// Takes the band that holds toolBar out of the rebar; the toolbar remains.
bool RemoveToolBarBand(HWND reBar, HWND toolBar);

// The chevron's menu: the band's toolbar buttons beyond its visible width,
// shown below the chevron; the chosen command goes to owner as WM_COMMAND.
// Beeps when no button is hidden.
void ShowChevronMenu(HINSTANCE instance, HWND owner, const NMREBARCHEVRON& chevron);

// The string id whose prompt describes a highlighted menu item: a system-menu
// command maps to 0xE000 plus its bits 4 to 15.
UINT MenuPromptId(UINT command, UINT flags);

#endif
