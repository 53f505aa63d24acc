#include "platform/View.h"

#include "platform/Document.h"
#include "platform/FrameWnd.h"

#include <QPainter>

CView::CView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
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
    update();
}

bool CView::OnCmdMsg(unsigned id, CmdCode code, CCmdUI* ui)
{
    if (OnOwnCmdMsg(id, code, ui))
        return true;
    return m_pDocument && m_pDocument->OnCmdMsg(id, code, ui);
}

void CView::OnDraw(QPainter&)
{
}

void CView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    OnDraw(painter);
}
