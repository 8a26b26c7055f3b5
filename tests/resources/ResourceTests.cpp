#include "ResourceIds.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

// The resources are read back the way the program reads them, through the ANSI
// calls: texts arrive in code page 932, like the literals below.
namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

std::vector<BYTE> ResourceBytes(int id, int type)
{
    HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
    if (!found)
        return {};
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(Module(), found)));
    return std::vector<BYTE>(bytes, bytes + SizeofResource(Module(), found));
}

TEST(ResourceTest, StringsLoadAsTheirExactTexts)
{
    const std::pair<int, const char*> strings[] = {
        {mainFrameResource, "Larkspur"}, {readyString, "Ready"}, {countPaneString, "*******************"},
        {autoReloadCommand, "自動更新"},
        {settingsCommand, "アカウントと自動更新の間隔を設定します\n設定"},
        {cutCommand, "選択範囲を切り取り、クリップボードに移動します\n切り取り"},
        {copyCommand, "選択範囲をコピーし、クリップボードに保存します\nコピー"},
        {pasteCommand, "クリップボードの内容を挿入します\n貼り付け"},
        {sizePromptString, "Change the window size"}, {movePromptString, "Change the window position"},
        {minimizePromptString, "Reduce the window to an icon"},
        {maximizePromptString, "Enlarge the window to full size"},
        {closePromptString, "Close the active window and prompts to save the documents"},
        {restorePromptString, "Restore the window to normal size"},
    };
    for (const auto& [id, text] : strings) {
        char loaded[512] = "";
        LoadStringA(Module(), id, loaded, sizeof loaded);
        EXPECT_STREQ(text, loaded) << "string " << id;
    }
}

// "title|id text|-|..." for the menu's first popup; "-" is a separator.
std::string DescribeMenu(int id)
{
    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(id));
    char text[64] = "";
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    std::string description = text;
    HMENU popup = GetSubMenu(menu, 0);
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        text[0] = '\0';
        GetMenuItemInfoA(popup, i, TRUE, &info);
        description += (info.fType & MFT_SEPARATOR) ? "|-" : "|" + std::to_string(info.wID) + " " + text;
    }
    DestroyMenu(menu);
    return description;
}

TEST(ResourceTest, PopupMenusHoldTheirItemsInOrder)
{
    EXPECT_EQ("TWEET_POPUP|32772 コピー(&C)", DescribeMenu(detailMenuResource));
    EXPECT_EQ("POPUP|32788 返信(&P)|32777 ダイレクトメッセージ(&D)|32784 ReTweet(&R)|-|32783 ホームをブラウザで表示(&H)",
              DescribeMenu(timelineMenuResource));
    EXPECT_EQ("POPUP|57635 切り取り(&T)|57634 コピー(&C)|57637 貼り付け(&P)|32779 削除(&D)|-|32780 すべて選択(&L)",
              DescribeMenu(composeMenuResource));
}

std::multiset<std::vector<int>> AcceleratorEntries(int id)
{
    HACCEL table = LoadAcceleratorsA(Module(), MAKEINTRESOURCEA(id));
    ACCEL entries[32];
    const int count = table ? CopyAcceleratorTableA(table, entries, 32) : 0;
    std::multiset<std::vector<int>> result;
    for (int i = 0; i < count; ++i)
        result.insert({entries[i].fVirt, entries[i].key, entries[i].cmd});
    DestroyAcceleratorTable(table);
    return result;
}

TEST(ResourceTest, AcceleratorTablesHoldExactlyTheirKeys)
{
    const int ctrl = FVIRTKEY | FCONTROL, shift = FVIRTKEY | FSHIFT, plain = FVIRTKEY;
    const std::multiset<std::vector<int>> frameKeys = {
        {ctrl, 'X', cutCommand},  {shift, VK_DELETE, cutCommand},   {ctrl, 'C', copyCommand},
        {ctrl, VK_INSERT, copyCommand}, {ctrl, 'V', pasteCommand},  {shift, VK_INSERT, pasteCommand},
        {ctrl, 'S', sendCommand}, {plain, VK_F5, reloadKeyCommand}, {plain, VK_F6, focusDetailCommand},
        {plain, VK_F7, focusComposeCommand}, {plain, VK_HOME, focusComposeHomeCommand},
        {ctrl, 'N', newCommand},  {ctrl, 'Z', undoCommand}, {ctrl, 'F', findCommand},
        {plain, VK_F3, findNextCommand}, {shift, VK_F3, findPreviousCommand}};
    EXPECT_EQ(frameKeys, AcceleratorEntries(mainFrameResource));
    EXPECT_EQ((std::multiset<std::vector<int>>{{ctrl, 'S', sendCommand}}),
              AcceleratorEntries(composeAcceleratorResource));
}

TEST(ResourceTest, ToolbarLayoutAndPictures)
{
    const std::vector<BYTE> toolbar = ResourceBytes(mainFrameResource, 241);
    const std::vector<WORD> expected = {1, 16, 17, 8, autoReloadCommand, 0, cutCommand, copyCommand,
                                        pasteCommand, 0, settingsCommand, findCommand};
    ASSERT_EQ(expected.size() * 2, toolbar.size());
    EXPECT_EQ(0, memcmp(expected.data(), toolbar.data(), toolbar.size()));

    const std::vector<BYTE> bitmap = ResourceBytes(mainFrameResource, 2);
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bitmap.data());
    EXPECT_EQ(96, header->biWidth);
    EXPECT_EQ(17, header->biHeight);
    EXPECT_EQ(4, header->biBitCount);

    // Icon group entries are 14 bytes after a 6-byte header: edge and bit count.
    const std::vector<BYTE> group = ResourceBytes(mainFrameResource, 14);
    std::set<std::pair<int, int>> offered;
    for (size_t at = 6; at + 14 <= group.size(); at += 14)
        offered.insert({group[at], group[at + 6] | group[at + 7] << 8});
    EXPECT_EQ((std::set<std::pair<int, int>>{{16, 4}, {32, 4}, {48, 8}}), offered);
}

// The manifest makes the loader bind the side-by-side common controls 6.
TEST(ResourceTest, ManifestSelectsCommonControlsSix)
{
    InitCommonControls();
    char path[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), path, sizeof path);
    CharLowerA(path);
    EXPECT_NE(nullptr, strstr(path, "winsxs")) << path;
}

struct Control {
    int id;
    const char* className;
    DWORD style; // bits that must be set besides WS_CHILD | WS_VISIBLE
    const char* text;
};

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST(ResourceTest, DialogTemplatesCreateTheirControls)
{
    ASSERT_NE(nullptr, LoadLibraryA("RICHED20.DLL"));
    InitCommonControls();
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                  Module(), nullptr);
    const DWORD richText = WS_VSCROLL | ES_MULTILINE | ES_NOHIDESEL | ES_WANTRETURN | ES_DISABLENOSCROLL;
    const DWORD field = WS_TABSTOP | ES_AUTOHSCROLL;
    const DWORD spin = UDS_ARROWKEYS | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT;
    const struct {
        int dialog;
        DWORD style;
        const char* caption;
        std::vector<Control> controls;
    } dialogs[] = {
        {detailDialogResource, WS_CHILD | WS_VISIBLE, "",
         {{statusTextControl, "RichEdit20A", richText, ""},
          {iconControl, "Static", SS_SUNKEN | SS_NOTIFY | WS_GROUP, ""},
          {nameLabelControl, "Static", SS_LEFT, "名前 / name"},
          {timeLabelControl, "Static", SS_RIGHT, "2010/3/10 12:00:00"}}},
        {composeDialogResource, WS_CHILD | WS_VISIBLE, "",
         {{statusTextControl, "RichEdit20A", richText, ""},
          {sendButtonControl, "Button", WS_TABSTOP, "送信"},
          {counterControl, "Static", SS_RIGHT | WS_GROUP, "140"}}},
        {settingsDialogResource, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, "設定",
         {{userEditControl, "Edit", field, ""},
          {passwordEditControl, "Edit", field | ES_PASSWORD, ""},
          {intervalEditControl, "Edit", field | ES_NUMBER | ES_RIGHT, ""},
          {intervalSpinControl, UPDOWN_CLASSA, spin, ""},
          {muteEditControl, "Edit", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, ""},
          {IDOK, "Button", WS_TABSTOP | BS_DEFPUSHBUTTON, "登録"},
          {IDCANCEL, "Button", WS_TABSTOP, "キャンセル"}}},
        {findDialogResource, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, "検索",
         {{findTextControl, "Edit", field, ""},
          {findStateControl, "Static", SS_LEFT, ""},
          {findNextButton, "Button", WS_TABSTOP | BS_DEFPUSHBUTTON, "次を検索"},
          {findPreviousButton, "Button", WS_TABSTOP, "前を検索"}}},
    };
    for (const auto& expected : dialogs) {
        SCOPED_TRACE(expected.dialog);
        HWND dialog = CreateDialogParamA(Module(), MAKEINTRESOURCEA(expected.dialog), parent, QuietDialog, 0);
        ASSERT_NE(nullptr, dialog);
        const DWORD style = GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_EQ(expected.style, style & (expected.style | WS_CHILD | WS_POPUP));
        char text[128] = "";
        GetWindowTextA(dialog, text, sizeof text);
        EXPECT_STREQ(expected.caption, text);
        for (const Control& control : expected.controls) {
            SCOPED_TRACE(control.id);
            HWND window = GetDlgItem(dialog, control.id);
            ASSERT_NE(nullptr, window);
            GetClassNameA(window, text, sizeof text);
            EXPECT_EQ(0, lstrcmpiA(control.className, text)) << text;
            const DWORD required = control.style | WS_CHILD | WS_VISIBLE;
            const DWORD controlStyle = GetWindowLongA(window, GWL_STYLE);
            EXPECT_EQ(required, controlStyle & required);
            // The dialog manager turns an edit field's border into a client edge.
            const bool framed = (controlStyle & WS_BORDER) || (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
            EXPECT_TRUE(framed || lstrcmpiA(control.className, "Edit") != 0);
            GetWindowTextA(window, text, sizeof text);
            EXPECT_STREQ(control.text, text);
        }
        DestroyWindow(dialog);
    }
    DestroyWindow(parent);
}

} // namespace
