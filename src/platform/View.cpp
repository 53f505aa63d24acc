#include "platform/View.h"

#include "platform/DC.h"
#include "platform/Document.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

CView::CView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true); // moves arrive with the button up too
}

CView::~CView()
{
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CFrameWnd* CView::GetParentFrame() const
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* frame = dynamic_cast<CFrameWnd*>(w))
            return frame;
    return nullptr;
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, long, void*)
{
    Invalidate();
}

bool CView::OnCmdMsg(unsigned id, CmdCode code, CCmdUI* ui)
{
    if (OnOwnCmdMsg(id, code, ui))
        return true;
    return m_pDocument && m_pDocument->OnCmdMsg(id, code, ui);
}

void CView::Invalidate(bool)
{
    m_invalid += rect();
    update();
}

void CView::InvalidateRect(const CRect& r, bool)
{
    m_invalid += QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)).normalized();
    update();
}

void CView::ValidateRect(const CRect& r)
{
    m_invalid -= QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)).normalized();
}

CRect CView::GetClientRect() const
{
    return {0, 0, width(), height()};
}

void CView::OnPrepareDC(CDC*) {}

void CView::OnDraw(CDC*) {}

bool CView::OnEraseBkgnd(CDC* pDC)
{
    pDC->FillRect(pDC->GetClipBox(), pDC->GetCurrentBrush());
    return true;
}

void CView::EnsureBuffer()
{
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (m_buffer.size() != wanted) {
        m_buffer = QImage(wanted, QImage::Format_RGB32);
        m_buffer.fill(Qt::white);
        m_invalid = rect();
    }
}

void CView::UpdateWindow()
{
    EnsureBuffer();
    const QRegion invalid = m_invalid & QRegion(m_buffer.rect());
    m_invalid = QRegion();
    if (invalid.isEmpty())
        return;
    {
        CDC dc(&m_buffer, invalid);
        OnEraseBkgnd(&dc);
    }
    CDC dc(&m_buffer, invalid);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

void CView::paintEvent(QPaintEvent* event)
{
    UpdateWindow();
    QPainter painter(this);
    painter.drawImage(event->rect(), m_buffer, event->rect());
}

void CView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_invalid += rect();
}

namespace {

unsigned Flags(const QMouseEvent* event)
{
    return (event->buttons() & Qt::LeftButton) ? MK_LBUTTON : 0;
}

CPoint Point(const QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

} // namespace

void CView::OnLButtonDown(unsigned, CPoint) {}

void CView::OnLButtonUp(unsigned, CPoint) {}

void CView::OnLButtonDblClk(unsigned, CPoint) {}

void CView::OnMouseMove(unsigned, CPoint) {}

void CView::OnContextMenu(CPoint) {}

void CView::OnKeyDown(unsigned) {}

void CView::mousePressEvent(QMouseEvent* event)
{
    // Edits end here as commands do: an allocation that fails ends the edit, not the program.
    if (event->button() == Qt::LeftButton)
        RunReportingNoMemory([&] { OnLButtonDown(Flags(event), Point(event)); });
}

void CView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        RunReportingNoMemory([&] { OnLButtonUp(Flags(event), Point(event)); });
}

void CView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        RunReportingNoMemory([&] { OnLButtonDblClk(Flags(event), Point(event)); });
}

void CView::mouseMoveEvent(QMouseEvent* event)
{
    RunReportingNoMemory([&] { OnMouseMove(Flags(event), Point(event)); });
}

void CView::contextMenuEvent(QContextMenuEvent* event)
{
    RunReportingNoMemory([&] { OnContextMenu({event->globalPos().x(), event->globalPos().y()}); });
}

void CView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        RunReportingNoMemory([&] { OnKeyDown(VK_ESCAPE); });
    else
        QWidget::keyPressEvent(event);
}

unsigned CView::TrackPopupMenu(const MenuPopup& popup, CPoint screen, const std::vector<unsigned>& disabledIds)
{
    QMenu menu(this);
    menu.setTitle(QString::fromUtf8(popup.text));
    for (const MenuItem& item : popup.items) {
        if (!item.text) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromUtf8(item.text));
        action->setData(item.id);
        action->setEnabled(std::find(disabledIds.begin(), disabledIds.end(), item.id) == disabledIds.end());
        const std::string prompt = CommandPrompt(item.id);
        if (!prompt.empty())
            action->setStatusTip(QString::fromStdString(prompt));
    }
    QAction* chosen = menu.exec(QPoint(screen.x, screen.y));
    if (!chosen)
        return 0;
    const unsigned id = chosen->data().toUInt();
    OnCmdMsg(id, CmdCode::Execute, nullptr);
    return id;
}
