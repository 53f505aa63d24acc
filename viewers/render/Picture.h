#pragma once

#include "draw/ColourBar.h"
#include "render/PlotFrame.h"
#include "render/PlotMapping.h"

#include <QImage>
#include <QRectF>
#include <QSize>

#include <string>

class QPainter;

// A picture of a section that a window shows and a file keeps: drawn for any size and any
// window onto the section, with the same code on the screen and in a PNG file.
class CPicture {
public:
    virtual ~CPicture() = default;

    // Everything there is to see, and what a new window or a picture file shows.
    virtual QRectF WholeWindow() const = 0;
    virtual QRectF StartWindow() const = 0;

    // Draws the picture filling size, showing window; an isotropic picture's window grows within
    // the whole, then its plot shrinks to fit.
    virtual void Render(QPainter& painter, QSize size, const QRectF& window) const = 0;

    // What lies at a position of the section, for the status bar; the position alone outside it.
    virtual std::string Describe(QPointF position) const = 0;

    // The mapping Render uses for this size and window.
    CPlotMapping Mapping(QSize size, const QRectF& window) const;

    QImage ToImage(QSize size, const QRectF& window) const;

    CColourDisplay display;

protected:
    virtual bool Isotropic() const = 0;
    virtual bool HasBand() const { return false; }
};
