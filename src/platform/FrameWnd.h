#pragma once

#include "platform/CmdTarget.h"
#include "platform/Resources.h"
#include "platform/StandardIds.h"

#include <QMainWindow>

#include <map>
#include <string>

class CView;
class QLabel;
class QMenu;
class QToolBar;

// Initial window size; 0 leaves it to the window system.
struct CREATESTRUCT {
    int cx = 0;
    int cy = 0;
};

class CFrameWnd;

// The frame's toolbar: one button per command of the resource's toolbar list.
class CToolBar {
public:
    bool CreateEx(CFrameWnd* parent, unsigned id = AFX_IDW_TOOLBAR);
    bool LoadToolBar(const FrameResource& resource);

private:
    CFrameWnd* m_parent = nullptr;
    QToolBar* m_toolBar = nullptr;
};

// The frame's status bar: message panes only.
class CStatusBar {
public:
    bool Create(CFrameWnd* parent, unsigned id = AFX_IDW_STATUS_BAR);
    bool SetIndicators(int paneCount);
    void SetPaneText(int index, const std::string& text);

private:
    CFrameWnd* m_parent = nullptr;
    std::vector<QLabel*> m_panes;
};

// The main window: menus, accelerators and bars built from a resource, one view in the middle.
// Commands from menus, toolbar and accelerators go to the active view, which passes what it does
// not handle to its document; then to the frame itself and the application. Enabled and checked
// states are refreshed when a menu opens and whenever the event loop falls idle.
class CFrameWnd : public QMainWindow, public CCmdTarget {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Builds menus and accelerators, sizes the window (PreCreateWindow) and creates the
    // bars (OnCreate). False when OnCreate failed.
    bool LoadFrame(const FrameResource& resource);

    virtual bool PreCreateWindow(CREATESTRUCT& cs);
    // Returns 0, or -1 to fail the frame's creation.
    virtual int OnCreate();

    void SetActiveView(CView* view);
    CView* GetActiveView() const { return m_pActiveView; }

    // Shows the active document's name before the window title.
    void OnUpdateFrameTitle();
    // Writes the status bar's message pane; "" writes the idle text.
    void SetMessageText(const std::string& text);
    // Writes the status bar's second pane, when it has one: a mode that is on, or "".
    void SetModeText(const std::string& text);

    // The action that stands for a command on menus, toolbar and accelerators.
    QAction* GetCommandAction(unsigned id) const;
    // Refreshes every command's enabled and checked state.
    void UpdateCommandUI();

    bool OnCmdMsg(unsigned id, CmdCode code, CCmdUI* ui) override;

    const FrameResource* GetResource() const { return m_pResource; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    friend class CToolBar;
    friend class CStatusBar;
    QAction* CommandAction(unsigned id, const char* text);
    void AddMenuItems(QMenu* menu, const std::vector<MenuItem>& items);
    void OnViewToolBar();
    void OnUpdateViewToolBar(CCmdUI* ui);
    void OnViewStatusBar();
    void OnUpdateViewStatusBar(CCmdUI* ui);

    const FrameResource* m_pResource = nullptr;
    std::string m_strTitle;
    CView* m_pActiveView = nullptr;
    std::map<unsigned, QAction*> m_actions;
    QToolBar* m_toolBar = nullptr;      // set by CToolBar::CreateEx
    CStatusBar* m_pStatusBar = nullptr; // set by CStatusBar::Create
};
