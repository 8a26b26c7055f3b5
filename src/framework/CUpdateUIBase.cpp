#include "CUpdateUIBase.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

CUpdateUIBase::CUpdateUIBase(const Entry* entries, int count)
{
    try {
        for (int i = 0; i < count; ++i)
            states.push_back({entries[i].id, entries[i].kinds, false, true});
    } catch (const std::bad_alloc&) {
    }
}

CUpdateUIBase::State* CUpdateUIBase::Find(UINT id)
{
    for (State& state : states) {
        if (state.id == id)
            return &state;
    }
    return nullptr;
}

const CUpdateUIBase::State* CUpdateUIBase::Find(UINT id) const
{
    return const_cast<CUpdateUIBase*>(this)->Find(id);
}

bool CUpdateUIBase::UIAddToolBar(HWND toolBar)
{
    if (toolBar == nullptr)
        return false;
    try {
        toolBars.push_back(toolBar);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // A new toolbar has seen none of the states yet.
    for (State& state : states)
        state.changed = true;
    return true;
}

void CUpdateUIBase::UIRemoveToolBar(HWND toolBar)
{
    toolBars.erase(std::remove(toolBars.begin(), toolBars.end(), toolBar), toolBars.end());
}

bool CUpdateUIBase::UISetCheck(UINT id, bool checked)
{
    State* state = Find(id);
    if (state == nullptr)
        return false;
    if (state->checked != checked) {
        state->checked = checked;
        state->changed = true;
    }
    return true;
}

bool CUpdateUIBase::UIGetCheck(UINT id) const
{
    const State* state = Find(id);
    return state != nullptr && state->checked;
}

void CUpdateUIBase::UIUpdateToolBar()
{
    for (State& state : states) {
        if (!state.changed || !(state.kinds & toolBarElement))
            continue;
        for (HWND toolBar : toolBars)
            ::SendMessageA(toolBar, TB_CHECKBUTTON, state.id, MAKELPARAM(state.checked ? TRUE : FALSE, 0));
        state.changed = false;
    }
}
