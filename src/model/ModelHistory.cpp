#include "model/ModelHistory.h"

#include <algorithm>

CModelState::CModelState(const CModelData& model)
    : m_dcModel(model.m_dcModel), m_ipModel(model.m_ipModel), m_topo(model.m_topo), m_coreX1(model.m_coreX1),
      m_coreX2(model.m_coreX2), m_coreZ1(model.m_coreZ1), m_coreZ2(model.m_coreZ2),
      m_dcBackground(model.m_dcBackground), m_ipBackground(model.m_ipBackground), m_bTopography(model.m_bTopography)
{
}

void CModelState::RestoreTo(CModelData& model) const
{
    model.m_dcModel = m_dcModel;
    model.m_ipModel = m_ipModel;
    model.m_topo = m_topo;
    model.m_coreX1 = m_coreX1;
    model.m_coreX2 = m_coreX2;
    model.m_coreZ1 = m_coreZ1;
    model.m_coreZ2 = m_coreZ2;
    model.m_dcBackground = m_dcBackground;
    model.m_ipBackground = m_ipBackground;
    model.m_bTopography = m_bTopography;
}

void CModelHistory::Reset(const CModelData& model, bool saved)
{
    m_states.clear();
    m_states.emplace_back(model);
    m_current = 0;
    m_saved = saved ? 0 : -1;
}

void CModelHistory::Record(const CModelData& model)
{
    m_states.erase(m_states.begin() + static_cast<std::ptrdiff_t>(m_current) + 1, m_states.end());
    if (m_saved > static_cast<long>(m_current))
        m_saved = -1;
    m_states.emplace_back(model);
    ++m_current;
    if (m_states.size() > kMaxStates) {
        m_states.pop_front();
        --m_current;
        m_saved = std::max(m_saved - 1, -1L); // the saved state may have been the oldest
    }
}

void CModelHistory::Undo(CModelData& model)
{
    if (!CanUndo())
        return;
    --m_current;
    m_states[m_current].RestoreTo(model);
}

void CModelHistory::Redo(CModelData& model)
{
    if (!CanRedo())
        return;
    ++m_current;
    m_states[m_current].RestoreTo(model);
}
