#include "FrameBars.h"

#include "CReBarCtrl.h"
#include "CToolBarCtrl.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// The layout of a TOOLBAR resource: a version, the image size and the
// command of each item, 0 for a separator.
struct ToolBarData {
    WORD version;
    WORD width;
    WORD height;
    WORD itemCount;
    WORD items[1];
};

const WORD toolBarResourceType = 241;
const int separatorWidth = 8;

bool LoadStringPart(HINSTANCE instance, UINT id, bool shortName, char* text, int size)
{
    if (size <= 0)
        return false;
    text[0] = 0;
    char whole[256];
    if (::LoadStringA(instance, id, whole, sizeof whole) <= 0)
        return false;
    const char* lineBreak = std::strchr(whole, '\n');
    if (shortName) {
        if (lineBreak == nullptr)
            return false;
        ::lstrcpynA(text, lineBreak + 1, size);
    } else {
        const int length = lineBreak != nullptr ? static_cast<int>(lineBreak - whole) : static_cast<int>(std::strlen(whole));
        ::lstrcpynA(text, whole, length + 1 < size ? length + 1 : size);
    }
    return true;
}

int BitmapBitsPerPixel(HINSTANCE instance, UINT id)
{
    const HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(id), RT_BITMAP);
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(instance, found) : nullptr;
    const BITMAPINFOHEADER* header =
        loaded != nullptr ? static_cast<const BITMAPINFOHEADER*>(::LockResource(loaded)) : nullptr;
    return header != nullptr ? header->biBitCount : 0;
}

int TextHeight(HWND window)
{
    const HDC dc = ::GetDC(window);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return metrics.tmHeight;
}

// Buttons padded around a picture of this size, and tall enough for a line
// of the toolbar's font.
void SetButtonSize(HWND toolBar, int imageWidth, int imageHeight, UINT dpi)
{
    const int fontHeight = TextHeight(toolBar);
    const int padding = ScaleToDpi(7, dpi);
    const int height = (imageHeight > fontHeight ? imageHeight : fontHeight) + padding;
    ::SendMessageA(toolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(imageWidth + padding, height));
}

// The width all buttons take side by side, and the height of one.
SIZE ToolBarExtent(const CToolBarCtrl& toolBar)
{
    SIZE extent = {0, HIWORD(toolBar.GetButtonSize())};
    const int count = toolBar.GetButtonCount();
    RECT rect;
    if (count > 0 && toolBar.GetItemRect(count - 1, &rect)) {
        extent.cx = rect.right;
        if (rect.bottom - rect.top > extent.cy)
            extent.cy = rect.bottom - rect.top;
    }
    return extent;
}

int BandOf(const CReBarCtrl& reBar, HWND child)
{
    const int count = reBar.GetBandCount();
    for (int band = 0; band < count; ++band) {
        REBARBANDINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = RBBIM_CHILD;
        if (reBar.GetBandInfo(band, &info) && info.hwndChild == child)
            return band;
    }
    return -1;
}

} // namespace

bool LoadPromptText(HINSTANCE instance, UINT id, char* text, int size)
{
    return LoadStringPart(instance, id, false, text, size);
}

bool LoadShortName(HINSTANCE instance, UINT id, char* text, int size)
{
    return LoadStringPart(instance, id, true, text, size);
}

HWND CreateToolBarFromResource(HINSTANCE instance, HWND parent, UINT resourceId, DWORD style, UINT id,
                               const ToolBarStrip* strips, int stripCount, UINT dpi)
{
    const HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(toolBarResourceType));
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(instance, found) : nullptr;
    const ToolBarData* data = loaded != nullptr ? static_cast<const ToolBarData*>(::LockResource(loaded)) : nullptr;
    if (data == nullptr || data->version != 1)
        return nullptr;

    std::vector<TBBUTTON> buttons;
    try {
        buttons.resize(data->itemCount);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    int images = 0;
    for (int i = 0; i < data->itemCount; ++i) {
        TBBUTTON& button = buttons[static_cast<size_t>(i)];
        std::memset(&button, 0, sizeof button);
        if (data->items[i] == 0) {
            button.iBitmap = ScaleToDpi(separatorWidth, dpi);
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = images++;
            button.idCommand = data->items[i];
            button.fsState = TBSTATE_ENABLED;
            // Each button as wide as what it shows, so picture-only buttons
            // stay narrow beside buttons that show text.
            button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
        }
        button.iString = -1;
    }

    const HWND created = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style, 0, 0, 100, 100, parent,
                                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
    if (created == nullptr)
        return nullptr;
    const CToolBarCtrl toolBar(created);
    toolBar.SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    ToolBarStrip strip = {data->width, resourceId};
    const int wanted = ScaleToDpi(data->width, dpi);
    for (int i = 0; i < stripCount; ++i) {
        if (std::abs(strips[i].imageWidth - wanted) < std::abs(strip.imageWidth - wanted))
            strip = strips[i];
    }
    const int imageWidth = strip.imageWidth;
    const int imageHeight = ::MulDiv(data->height, imageWidth, data->width);
    const int bits = BitmapBitsPerPixel(instance, strip.bitmapId);
    if (bits > 4) {
        // Deeper bitmaps keep their colours in an image list; a 32-bit one
        // carries its own transparency.
        const HIMAGELIST list = ::ImageList_LoadImageA(instance, MAKEINTRESOURCEA(strip.bitmapId), imageWidth, 0,
                                                       bits == 32 ? CLR_NONE : CLR_DEFAULT, IMAGE_BITMAP,
                                                       LR_CREATEDIBSECTION);
        toolBar.SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
    } else {
        // The size first: the toolbar cuts the bitmap by it.
        toolBar.SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(imageWidth, imageHeight));
        TBADDBITMAP bitmap = {instance, strip.bitmapId};
        toolBar.SendMessage(TB_ADDBITMAP, images, reinterpret_cast<LPARAM>(&bitmap));
    }
    toolBar.SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(imageWidth, imageHeight));
    SetButtonSize(created, imageWidth, imageHeight, dpi);
    toolBar.SendMessage(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    return created;
}

void FitToolBarButtons(HWND toolBar, UINT dpi)
{
    int imageWidth = 0;
    int imageHeight = 0;
    const HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageA(toolBar, TB_GETIMAGELIST, 0, 0));
    if (images != nullptr && ::ImageList_GetIconSize(images, &imageWidth, &imageHeight))
        SetButtonSize(toolBar, imageWidth, imageHeight, dpi);
}

void ShowButtonTexts(HINSTANCE instance, HWND toolBar, const UINT* commands, int count)
{
    const CToolBarCtrl buttons(toolBar);
    buttons.SetExtendedStyle(TBSTYLE_EX_MIXEDBUTTONS);
    for (int i = 0; i < count; ++i) {
        char text[64] = "";
        if (!LoadShortName(instance, commands[i], text, sizeof text - 1))
            ::LoadStringA(instance, commands[i], text, sizeof text - 1);
        text[std::strlen(text) + 1] = 0; // the string list ends with two NULs
        const int index = buttons.CommandToIndex(commands[i]);
        TBBUTTON button;
        if (index < 0 || !buttons.GetButton(index, &button))
            continue;
        button.iString = buttons.AddString(text);
        button.fsStyle |= BTNS_SHOWTEXT | BTNS_AUTOSIZE;
        buttons.DeleteButton(index);
        buttons.InsertButton(index, button);
    }
}

HWND CreateReBar(HINSTANCE instance, HWND parent, DWORD style, UINT id)
{
    const HWND created = ::CreateWindowExA(0, REBARCLASSNAMEA, nullptr, style, 0, 0, 100, 100, parent,
                                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
    if (created == nullptr)
        return nullptr;
    REBARINFO info = {};
    info.cbSize = sizeof info;
    ::SendMessageA(created, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
    return created;
}

bool AddToolBarBand(HWND reBar, HWND toolBar, bool newRow)
{
    const CReBarCtrl bar(reBar);
    const SIZE extent = ToolBarExtent(CToolBarCtrl(toolBar));
    REBARBANDINFOA band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_ID | RBBIM_SIZE | RBBIM_IDEALSIZE;
    band.fStyle = RBBS_CHILDEDGE | RBBS_USECHEVRON | (newRow ? RBBS_BREAK : 0);
    band.hwndChild = toolBar;
    band.wID = firstBandId + static_cast<UINT>(bar.GetBandCount());
    band.cxMinChild = 0;
    band.cyMinChild = extent.cy;
    band.cx = extent.cx;
    band.cxIdeal = extent.cx;
    return bar.InsertBand(-1, band);
}

void FitToolBarBand(HWND reBar, HWND toolBar)
{
    const CReBarCtrl bar(reBar);
    const int index = BandOf(bar, toolBar);
    if (index < 0)
        return;
    const SIZE extent = ToolBarExtent(CToolBarCtrl(toolBar));
    REBARBANDINFOA band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE | RBBIM_SIZE;
    band.cyMinChild = extent.cy;
    band.cx = extent.cx;
    band.cxIdeal = extent.cx;
    bar.SetBandInfo(index, band);
}

bool RemoveToolBarBand(HWND reBar, HWND toolBar)
{
    const CReBarCtrl bar(reBar);
    const int index = BandOf(bar, toolBar);
    return index >= 0 && bar.DeleteBand(index);
}

void ShowChevronMenu(HINSTANCE instance, HWND owner, const NMREBARCHEVRON& chevron)
{
    const CReBarCtrl reBar(chevron.hdr.hwndFrom);
    REBARBANDINFOA band = {};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD;
    if (!reBar.GetBandInfo(static_cast<int>(chevron.uBand), &band) || band.hwndChild == nullptr)
        return;
    const CToolBarCtrl toolBar(band.hwndChild);
    RECT visible;
    toolBar.GetClientRect(&visible);

    const HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr)
        return;
    int items = 0;
    const int count = toolBar.GetButtonCount();
    for (int i = 0; i < count; ++i) {
        TBBUTTON button;
        RECT rect;
        if (!toolBar.GetButton(i, &button) || !toolBar.GetItemRect(i, &rect) || rect.right <= visible.right)
            continue;
        if (button.fsStyle & BTNS_SEP) {
            if (items > 0)
                ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        char text[256] = "";
        // The button's own text where it shows one, else the command's
        // short name.
        const UINT command = static_cast<UINT>(button.idCommand);
        const int length = toolBar.GetButtonText(command, nullptr);
        if (length > 0 && length < static_cast<int>(sizeof text))
            toolBar.GetButtonText(command, text);
        else
            LoadShortName(instance, command, text, sizeof text);
        const UINT flags = MF_STRING | ((button.fsState & TBSTATE_ENABLED) ? 0 : MF_GRAYED);
        ::AppendMenuA(menu, flags, command, text);
        ++items;
    }
    if (items == 0) {
        ::MessageBeep(MB_OK);
    } else {
        RECT below = chevron.rc;
        ::MapWindowPoints(reBar, nullptr, reinterpret_cast<POINT*>(&below), 2);
        TPMPARAMS exclude = {sizeof exclude, below};
        ::TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, below.left,
                           below.bottom, owner, &exclude);
    }
    ::DestroyMenu(menu);
}

UINT MenuPromptId(UINT command, UINT flags)
{
    if (flags & MF_SYSMENU)
        return 0xE000 + ((command >> 4) & 0x0FFF);
    return command;
}
