#include "ui/PlotWidget.h"

#include "render/Picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

CPlotWidget::CPlotWidget(const CPicture* picture, QWidget* parent)
    : QWidget(parent), m_picture(picture), m_window(picture->StartWindow())
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPlotWidget::SetWindow(const QRectF& window)
{
    m_window = window;
    update();
}

QRectF CPlotWidget::ShownWindow() const
{
    return Mapping().Window();
}

CPlotMapping CPlotWidget::Mapping() const
{
    return m_picture->Mapping(size(), m_window);
}

void CPlotWidget::Apply(QRectF window)
{
    // Stay between a millionth of the section and a hundred times its size.
    const QRectF whole = m_picture->WholeWindow();
    const double least = 1e-6 * std::max(whole.width(), whole.height()),
                 most = 100 * std::max(whole.width(), whole.height());
    if (!(window.width() >= least && window.height() >= least && window.width() <= most && window.height() <= most))
        return;
    SetWindow(window);
}

void CPlotWidget::ZoomAt(double factor, QPointF pixel)
{
    const CPlotMapping mapping = Mapping();
    const QRectF shown = mapping.Window();
    const QPointF anchor = mapping.ToModel(pixel);
    const double left = anchor.x() - (anchor.x() - shown.left()) / factor;
    const double top = anchor.y() - (anchor.y() - shown.top()) / factor;
    Apply(QRectF(left, top, shown.width() / factor, shown.height() / factor));
}

void CPlotWidget::Zoom(double factor)
{
    ZoomAt(factor, QRectF(Mapping().Plot()).center());
}

void CPlotWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_picture->Render(painter, size(), m_window);
}

void CPlotWidget::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        ZoomAt(std::pow(1.25, notches), event->position() + QPointF(0.5, 0.5));
    event->accept();
}

void CPlotWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragStart = event->position();
    m_dragWindow = ShownWindow();
    setCursor(Qt::ClosedHandCursor);
}

void CPlotWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        const CPlotMapping mapping = Mapping();
        const QPointF delta = event->position() - m_dragStart;
        SetWindow(m_dragWindow.translated(-delta.x() / mapping.ScaleX(), -delta.y() / mapping.ScaleY()));
    }
    Describe(event->position() + QPointF(0.5, 0.5));
}

void CPlotWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragging)
        return;
    m_dragging = false;
    unsetCursor();
}

void CPlotWidget::leaveEvent(QEvent*)
{
    if (onDescribe)
        onDescribe("");
}

void CPlotWidget::Describe(QPointF pixel)
{
    if (!onDescribe)
        return;
    const CPlotMapping mapping = Mapping();
    if (!QRectF(mapping.Plot()).contains(pixel)) {
        onDescribe("");
        return;
    }
    onDescribe(m_picture->Describe(mapping.ToModel(pixel)));
}
