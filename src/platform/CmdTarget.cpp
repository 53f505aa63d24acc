#include "platform/CmdTarget.h"

#include "platform/MessageBox.h"

bool CCmdTarget::OnCmdMsg(unsigned id, CmdCode code, CCmdUI* ui)
{
    return OnOwnCmdMsg(id, code, ui);
}

bool CCmdTarget::OnOwnCmdMsg(unsigned id, CmdCode code, CCmdUI* ui)
{
    switch (code) {
    case CmdCode::Execute: {
        auto it = m_handlers.find(id);
        if (it == m_handlers.end())
            return false;
        // Copy: a handler may remap commands or end this target's mapping.
        auto handler = it->second;
        handler();
        return true;
    }
    case CmdCode::Update: {
        auto it = m_updaters.find(id);
        if (it == m_updaters.end() || !ui)
            return false;
        it->second(ui);
        return true;
    }
    case CmdCode::Query:
        return m_handlers.count(id) != 0;
    }
    return false;
}

void CCmdTarget::UpdateCommand(CCmdUI& ui)
{
    if (!OnCmdMsg(ui.m_nID, CmdCode::Update, &ui))
        ui.Enable(OnCmdMsg(ui.m_nID, CmdCode::Query, nullptr));
}

bool CCmdTarget::ExecuteCommand(unsigned id)
{
    CCmdUI ui(id);
    UpdateCommand(ui);
    if (!ui.m_bEnabled)
        return false;
    // A model too large for the memory ends its command with a message; the open model stays.
    bool handled = true;
    RunReportingNoMemory([&] { handled = OnCmdMsg(id, CmdCode::Execute, nullptr); });
    return handled;
}
