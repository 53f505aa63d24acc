#pragma once

#include "model/ModelData.h"

#include <cstddef>
#include <deque>

// The editable part of a model at one moment: blocks, topography, core area and backgrounds.
// Discretization parameters, file names and results are not in it.
struct CModelState {
    explicit CModelState(const CModelData& model);
    // Puts the state back.
    void RestoreTo(CModelData& model) const;

    CElementList m_dcModel;
    CElementList m_ipModel;
    CTopoList m_topo;
    double m_coreX1, m_coreX2, m_coreZ1, m_coreZ2;
    float m_dcBackground, m_ipBackground;
    bool m_bTopography;
};

// Undo and redo as a row of model states with the current one marked; an edit drops the states
// that could have been redone. Remembers which state was last saved.
class CModelHistory {
public:
    // Oldest states are forgotten beyond this many.
    static constexpr std::size_t kMaxStates = 1000;

    // Starts afresh on the model as it is; saved: it is what its file holds.
    void Reset(const CModelData& model, bool saved);
    // The model was edited: its new state becomes the current one.
    void Record(const CModelData& model);

    bool CanUndo() const { return m_current > 0; }
    bool CanRedo() const { return m_current + 1 < m_states.size(); }
    // Puts the previous (next) state into model; nothing when there is none.
    void Undo(CModelData& model);
    void Redo(CModelData& model);

    void MarkSaved() { m_saved = static_cast<long>(m_current); }
    bool AtSavedState() const { return m_saved == static_cast<long>(m_current); }

private:
    std::deque<CModelState> m_states;
    std::size_t m_current = 0;
    long m_saved = -1; // -1: no state held is the saved one
};
