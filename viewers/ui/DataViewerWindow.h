#pragma once

#include "ui/ViewerWindow.h"

#include <memory>
#include <string>

class CDataPicture;
class QAction;

// The data viewer: the whole pseudo-section, by pseudo-depth or by n-level.
class CDataViewerWindow : public CViewerWindow {
public:
    CDataViewerWindow(std::unique_ptr<CDataPicture> picture, const std::string& dataPath);

    CDataPicture& Picture() const { return *m_data; }

    void ShowWholeSection();
    // Plots by n-level (true) or by pseudo-depth, keeping the horizontal zoom.
    void UseLevels(bool levels);
    void ToggleLog10();
    void ToggleConductivity();

private:
    std::unique_ptr<CDataPicture> m_data;
    QAction* m_depthAction = nullptr;
    QAction* m_levelAction = nullptr;
};
