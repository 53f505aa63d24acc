#include "app/MainFrame.h"

#include "dialogs/ForwardProgressDlg.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

void InitialFrameSize(int screenWidth, int screenHeight, int& width, int& height)
{
    width = std::min(900, static_cast<int>(screenWidth * 0.8));
    height = std::min(500, static_cast<int>(screenHeight * 0.8));
}

CMainFrame::CMainFrame() = default;

bool CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        InitialFrameSize(screen->availableGeometry().width(), screen->availableGeometry().height(), cs.cx, cs.cy);
    return CFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate()
{
    if (CFrameWnd::OnCreate() == -1)
        return -1;
    if (!m_wndToolBar.CreateEx(this) || !m_wndToolBar.LoadToolBar(*GetResource()))
        return -1;
    // The message, and the mode the view is in.
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(2))
        return -1;
    return 0;
}

void CMainFrame::SetStatusText(const std::string& text)
{
    SetMessageText(text);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    CForwardProgressDlg::CancelRunning();
    CFrameWnd::closeEvent(event);
}
