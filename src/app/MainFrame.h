#pragma once

#include "platform/FrameWnd.h"

#include <string>

// The first window's size: 80 % of the screen, at most 900 by 500.
void InitialFrameSize(int screenWidth, int screenHeight, int& width, int& height);

class CMainFrame : public CFrameWnd {
public:
    CMainFrame();

    bool PreCreateWindow(CREATESTRUCT& cs) override;
    int OnCreate() override;

    // Writes the status bar's one pane; "" writes the idle text.
    void SetStatusText(const std::string& text);

    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;

protected:
    // Cancels a forward run first: its program is not to outlive the window.
    void closeEvent(QCloseEvent* event) override;
};
