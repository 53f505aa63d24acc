#include "platform/FrameWnd.h"

#include "platform/Document.h"
#include "platform/IconRegistry.h"
#include "platform/View.h"
#include "platform/WinApp.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

namespace {

QString ToQt(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

bool CToolBar::CreateEx(CFrameWnd* parent, unsigned id)
{
    m_parent = parent;
    m_toolBar = new QToolBar(parent);
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->setProperty("controlId", id);
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    parent->addToolBar(Qt::TopToolBarArea, m_toolBar);
    parent->m_toolBar = m_toolBar;
    return true;
}

bool CToolBar::LoadToolBar(const FrameResource& resource)
{
    if (!m_toolBar)
        return false;
    m_toolBar->setIconSize(QSize(resource.buttonWidth, resource.buttonHeight));
    for (unsigned id : resource.toolbar) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = m_parent->CommandAction(id, nullptr);
        QIcon icon = AfxLoadIcon(id);
        if (!icon.isNull())
            action->setIcon(icon);
        m_toolBar->addAction(action);
    }
    return true;
}

bool CStatusBar::Create(CFrameWnd* parent, unsigned id)
{
    m_parent = parent;
    auto* bar = new QStatusBar(parent);
    bar->setProperty("controlId", id);
    bar->setSizeGripEnabled(true);
    parent->setStatusBar(bar);
    parent->m_pStatusBar = this;
    return true;
}

bool CStatusBar::SetIndicators(int paneCount)
{
    if (!m_parent || paneCount < 1)
        return false;
    for (QLabel* pane : m_panes)
        delete pane;
    m_panes.clear();
    for (int i = 0; i < paneCount; ++i) {
        auto* pane = new QLabel(m_parent->statusBar());
        pane->setObjectName(QStringLiteral("pane%1").arg(i));
        // A long text is cut short rather than widening the window.
        if (i > 0)
            pane->setMinimumWidth(1);
        m_parent->statusBar()->addWidget(pane, i == 0 ? 1 : 0);
        m_panes.push_back(pane);
    }
    SetPaneText(0, AfxLoadString(AFX_IDS_IDLEMESSAGE));
    return true;
}

void CStatusBar::SetPaneText(int index, const std::string& text)
{
    if (index >= 0 && static_cast<size_t>(index) < m_panes.size())
        m_panes[static_cast<size_t>(index)]->setText(ToQt(text));
}

CFrameWnd::CFrameWnd()
{
    MapCommand(ID_VIEW_TOOLBAR, &CFrameWnd::OnViewToolBar);
    MapUpdate(ID_VIEW_TOOLBAR, &CFrameWnd::OnUpdateViewToolBar);
    MapCommand(ID_VIEW_STATUS_BAR, &CFrameWnd::OnViewStatusBar);
    MapUpdate(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateViewStatusBar);

    // Idle-time refresh of the enabled and checked states, as the toolbar shows them all the time.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { UpdateCommandUI(); });
}

CFrameWnd::~CFrameWnd() = default;

bool CFrameWnd::LoadFrame(const FrameResource& resource)
{
    m_pResource = &resource;
    m_strTitle = DocStringField(resource.docStrings, 0);
    setWindowTitle(ToQt(m_strTitle));
    QIcon icon = AfxLoadIcon(resource.id);
    if (!icon.isNull())
        setWindowIcon(icon);

    for (const MenuPopup& popup : resource.menu)
        AddMenuItems(menuBar()->addMenu(QString::fromUtf8(popup.text)), popup.items);
    // A command may have several keys (Redo: Ctrl+Shift+Z and Ctrl+Y).
    std::map<unsigned, QList<QKeySequence>> keys;
    for (const Accelerator& accel : resource.accelerators)
        keys[accel.id].append(QKeySequence(QString::fromUtf8(accel.key)));
    for (const auto& [id, sequences] : keys)
        CommandAction(id, nullptr)->setShortcuts(sequences);

    CREATESTRUCT cs;
    if (!PreCreateWindow(cs))
        return false;
    if (cs.cx > 0 && cs.cy > 0)
        resize(cs.cx, cs.cy);
    if (OnCreate() != 0)
        return false;
    UpdateCommandUI();
    return true;
}

void CFrameWnd::AddMenuItems(QMenu* menu, const std::vector<MenuItem>& items)
{
    for (const MenuItem& item : items) {
        if (!item.text)
            menu->addSeparator();
        else if (!item.items.empty())
            AddMenuItems(menu->addMenu(QString::fromUtf8(item.text)), item.items);
        else
            menu->addAction(CommandAction(item.id, item.text));
    }
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
}

QAction* CFrameWnd::CommandAction(unsigned id, const char* text)
{
    auto it = m_actions.find(id);
    QAction* action = it != m_actions.end() ? it->second : nullptr;
    if (!action) {
        action = new QAction(this);
        action->setData(id);
        std::string prompt = CommandPrompt(id);
        std::string tip = CommandTooltip(id);
        action->setStatusTip(ToQt(prompt));
        action->setToolTip(ToQt(tip.empty() ? prompt : tip));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, id] {
            ExecuteCommand(id);
            UpdateCommandUI();
        });
        addAction(action); // accelerators work whether or not a menu shows the command
        m_actions[id] = action;
    }
    if (text)
        action->setText(QString::fromUtf8(text));
    return action;
}

QAction* CFrameWnd::GetCommandAction(unsigned id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CFrameWnd::UpdateCommandUI()
{
    for (auto& [id, action] : m_actions) {
        CCmdUI ui(id);
        UpdateCommand(ui);
        action->setEnabled(ui.m_bEnabled);
        if (ui.m_bChecked && !action->isCheckable())
            action->setCheckable(true);
        if (action->isCheckable())
            action->setChecked(ui.m_bChecked);
    }
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCT&)
{
    return true;
}

int CFrameWnd::OnCreate()
{
    return 0;
}

void CFrameWnd::SetActiveView(CView* view)
{
    m_pActiveView = view;
    if (view && centralWidget() != view)
        setCentralWidget(view);
    OnUpdateFrameTitle();
}

void CFrameWnd::OnUpdateFrameTitle()
{
    CDocument* doc = m_pActiveView ? m_pActiveView->GetDocument() : nullptr;
    if (!doc) {
        setWindowTitle(ToQt(m_strTitle));
        return;
    }
    // Qt shows "[*]" as "*" while the window is modified; a "[*]" in the name itself is doubled
    // so that it shows as written.
    QString name = ToQt(doc->GetDisplayName()).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(name + QStringLiteral("[*] - ") + ToQt(m_strTitle));
    setWindowModified(doc->IsModified());
}

void CFrameWnd::SetMessageText(const std::string& text)
{
    if (m_pStatusBar)
        m_pStatusBar->SetPaneText(0, text.empty() ? AfxLoadString(AFX_IDS_IDLEMESSAGE) : text);
}

void CFrameWnd::SetModeText(const std::string& text)
{
    if (m_pStatusBar)
        m_pStatusBar->SetPaneText(1, text);
}

bool CFrameWnd::OnCmdMsg(unsigned id, CmdCode code, CCmdUI* ui)
{
    if (m_pActiveView && m_pActiveView->OnCmdMsg(id, code, ui))
        return true;
    if (OnOwnCmdMsg(id, code, ui))
        return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code, ui);
}

void CFrameWnd::closeEvent(QCloseEvent* event)
{
    CDocument* doc = m_pActiveView ? m_pActiveView->GetDocument() : nullptr;
    if (doc && !doc->SaveModified()) {
        event->ignore();
        return;
    }
    event->accept();
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this)
        QCoreApplication::quit();
}

bool CFrameWnd::event(QEvent* event)
{
    // Fly-by prompts of menus and toolbar go to the one message pane; leaving restores the idle text.
    if (event->type() == QEvent::StatusTip) {
        SetMessageText(static_cast<QStatusTipEvent*>(event)->tip().toStdString());
        return true;
    }
    return QMainWindow::event(event);
}

void CFrameWnd::OnViewToolBar()
{
    if (m_toolBar)
        m_toolBar->setVisible(!m_toolBar->isVisible());
}

void CFrameWnd::OnUpdateViewToolBar(CCmdUI* ui)
{
    ui->Enable(m_toolBar != nullptr);
    ui->SetCheck(m_toolBar && !m_toolBar->isHidden());
}

void CFrameWnd::OnViewStatusBar()
{
    if (m_pStatusBar)
        statusBar()->setVisible(statusBar()->isHidden());
}

void CFrameWnd::OnUpdateViewStatusBar(CCmdUI* ui)
{
    ui->Enable(m_pStatusBar != nullptr);
    ui->SetCheck(m_pStatusBar && !statusBar()->isHidden());
}
