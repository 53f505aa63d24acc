#pragma once

#include "ui/ViewerWindow.h"

#include <memory>

class CModelPicture;

// The model viewer: opens on the core region; the whole padded mesh, the mesh lines and the
// colour bar's toggles are one key or toolbar button away.
class CModelViewerWindow : public CViewerWindow {
public:
    explicit CModelViewerWindow(std::unique_ptr<CModelPicture> picture);

    CModelPicture& Picture() const { return *m_model; }

    void ShowCoreRegion();
    void ShowWholeMesh();
    void ToggleMeshLines();
    void ToggleLog10();
    void ToggleDoi();
    void ToggleConductivity();

private:
    std::unique_ptr<CModelPicture> m_model;
};
