#include "ui/PlotWidget.h"

#include "render/Picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

CPlotWidget::CPlotWidget(const CPicture* picture, QWidget* parent) : QWidget(parent), m_picture(picture)
{
    m_zoom.SetWhole(picture->WholeWindow());
    m_zoom.Show(picture->StartWindow());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPlotWidget::SetWindow(const QRectF& window)
{
    m_zoom.Show(window);
    update();
}

QRectF CPlotWidget::ShownWindow() const
{
    return Mapping().Window();
}

CPlotMapping CPlotWidget::Mapping() const
{
    return m_picture->Mapping(size(), m_zoom.Window());
}

void CPlotWidget::ZoomAt(double factor, QPointF pixel)
{
    // From what is on the screen, which an isotropic picture widens.
    const CPlotMapping mapping = Mapping();
    m_zoom.Show(mapping.Window());
    m_zoom.ZoomAt(mapping.ToModel(pixel), factor);
    update();
}

void CPlotWidget::Zoom(double factor)
{
    ZoomAt(factor, QRectF(Mapping().Plot()).center());
}

void CPlotWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_picture->Render(painter, size(), m_zoom.Window());
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
    m_zoom.Show(ShownWindow());
    m_zoom.BeginPan(event->position());
    setCursor(Qt::ClosedHandCursor);
}

void CPlotWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_zoom.Panning()) {
        const CPlotMapping mapping = Mapping();
        m_zoom.PanTo(event->position(), mapping.ScaleX(), mapping.ScaleY());
        update();
    }
    Describe(event->position() + QPointF(0.5, 0.5));
}

void CPlotWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_zoom.Panning())
        return;
    m_zoom.EndPan();
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
