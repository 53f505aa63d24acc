#pragma once

#include "ui/ViewerWindow.h"

#include <memory>
#include <string>
#include <vector>

class CDataPicture;
class QAction;

// The data viewer: the whole pseudo-section, by pseudo-depth or by n-level, of the data or of
// their estimated error when obs_err.dat lies beside them.
class CDataViewerWindow : public CViewerWindow {
public:
    CDataViewerWindow(std::unique_ptr<CDataPicture> picture, const std::string& dataPath);

    CDataPicture& Picture() const { return *m_data; }

    void ShowWholeSection();
    // Plots by n-level (true) or by pseudo-depth, keeping the horizontal zoom.
    void UseLevels(bool levels);
    void ToggleLog10();
    void ToggleConductivity();
    // The estimated error (true) or the data; only with an estimate.
    void ShowError(bool error);

private:
    std::unique_ptr<CDataPicture> m_data;
    QAction* m_depthAction = nullptr;
    QAction* m_levelAction = nullptr;
    QAction* m_errorAction = nullptr;
    std::vector<QAction*> m_dataOnlyActions; // the bar's toggles, which the error's bar ignores
    std::string m_dataImageName;             // Save image's name for the data
};
