#ifndef LARKSPUR_RES_RESOURCEIDS_H
#define LARKSPUR_RES_RESOURCEIDS_H

// Read by the resource compiler as well as by C++: #defines only.

// Resources. The main frame's icon group, menu, accelerators, toolbar, toolbar
// bitmap and caption string all share one number.
#define mainFrameResource 128
#define detailDialogResource 201
#define composeDialogResource 202
#define settingsDialogResource 209
#define findDialogResource 210
#define detailMenuResource 203
#define timelineMenuResource 207
#define composeMenuResource 208
#define composeAcceleratorResource 205
// The toolbar bitmap at 24 and 32 pixels, for displays above 96 DPI.
#define toolBar24Resource 210
#define toolBar32Resource 211

// Controls of the dialog templates. The text box of both panes is 1000.
#define statusTextControl 1000
#define iconControl 1001
#define nameLabelControl 1002
#define timeLabelControl 1003
#define sendButtonControl 1004
#define counterControl 1005
#define userEditControl 1006
#define passwordEditControl 1007
#define intervalEditControl 1008
#define intervalSpinControl 1010
#define findTextControl 1011
#define muteEditControl 1016
#define findNextButton 1012
#define findPreviousButton 1013
#define findStateControl 1014

// Commands. The send button's id doubles as the send command, and the edit,
// new and exit commands keep the standard numbers of the window framework.
#define copyTextCommand 32772
#define reloadKeyCommand 32773
#define focusDetailCommand 32774
#define focusComposeCommand 32775
#define focusComposeHomeCommand 32776
#define directMessageCommand 32777
#define deleteCommand 32779
#define selectAllCommand 32780
#define autoReloadCommand 32781
#define settingsCommand 32782
#define openHomePageCommand 32783
#define retweetCommand 32784
#define findCommand 32785
#define findNextCommand 32786
#define findPreviousCommand 32787
#define replyCommand 32788
#define sendCommand 1004
#define newCommand 57600
#define copyCommand 57634
#define cutCommand 57635
#define pasteCommand 57637
#define undoCommand 57643
#define exitCommand 57665

// Strings. A command's prompt and tooltip live in the string of its own id
// ("prompt\ntooltip"); the caption is string mainFrameResource. The system
// menu's prompts sit at 0xE000 plus bits 4..15 of each SC_ command.
#define readyString 57345
#define countPaneString 61403
// The unread pane, as wide as this string's text.
#define unreadPaneString 61410
#define sizePromptString 61184
#define movePromptString 61185
#define minimizePromptString 61186
#define maximizePromptString 61187
#define closePromptString 61190
#define restorePromptString 61202

// Status bar pane id of the stretching message pane (code only).
#define defaultPane 0

#endif
