#ifndef LARKSPUR_FRAMEWORK_CUPDATEUIBASE_H
#define LARKSPUR_FRAMEWORK_CUPDATEUIBASE_H

#include <windows.h>

#include <vector>

// The command-UI table: the check state of commands, kept here and pushed to
// the toolbars that show them when UIUpdateToolBar runs (at idle time). The
// table is the one place a command's state lives; the toolbar only shows it.
class CUpdateUIBase {
public:
    // Where a command's state is shown.
    enum ElementKind {
        toolBarElement = 0x0001
    };
    struct Entry {
        UINT id;
        UINT kinds;
    };

    CUpdateUIBase(const Entry* entries, int count);
    CUpdateUIBase(const CUpdateUIBase&) = delete;
    CUpdateUIBase& operator=(const CUpdateUIBase&) = delete;

    bool UIAddToolBar(HWND toolBar);
    // Before a toolbar is destroyed (one made anew takes its place).
    void UIRemoveToolBar(HWND toolBar);

    // False for a command the table does not hold.
    bool UISetCheck(UINT id, bool checked);
    bool UIGetCheck(UINT id) const;

    // Pushes every state changed since the last push to the toolbars.
    void UIUpdateToolBar();

private:
    struct State {
        UINT id;
        UINT kinds;
        bool checked;
        bool changed;
    };

    State* Find(UINT id);
    const State* Find(UINT id) const;

    std::vector<State> states;
    std::vector<HWND> toolBars;
};

#endif
