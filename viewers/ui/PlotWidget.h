#pragma once

#include "draw/PanZoom.h"
#include "render/PlotMapping.h"

#include <QPoint>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <string>

class CPicture;

// Shows a picture and lets the user move about in it: the wheel zooms about the pointer,
// a drag with the left button pans, and the pointer's position is described as it moves.
class CPlotWidget : public QWidget {
public:
    explicit CPlotWidget(const CPicture* picture, QWidget* parent = nullptr);

    // The part of the section to show; an isotropic picture widens it to fit.
    void SetWindow(const QRectF& window);
    QRectF Window() const { return m_zoom.Window(); }
    // What is on the screen now.
    QRectF ShownWindow() const;
    CPlotMapping Mapping() const;

    // factor > 1 zooms in, keeping the section point under pixel where it is.
    void ZoomAt(double factor, QPointF pixel);
    void Zoom(double factor);

    // Called with the description of what lies under the pointer ("" when it leaves).
    std::function<void(const std::string&)> onDescribe;

    QSize sizeHint() const override { return {960, 600}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Describe(QPointF pixel);

    const CPicture* m_picture;
    // From a millionth of the section to a hundred times its width, anywhere about it.
    CPanZoom m_zoom{0.01, 1e6, false};
};
