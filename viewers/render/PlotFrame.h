#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

// The layout of a picture: title on top, the plot with its axes, the colour bar on the right
// and, for a section with topography, a band for the ground surface above the plot.
struct CPlotFrame {
    CPlotFrame(QSize size, bool withBand);

    QSize size;
    QFont font;
    int fontPixels = 12;
    QRect title;
    QRect band; // empty without a band
    QRect plot;
    QRect bar;

    // The colour bar right of a plot, as BarBeside of the drawing library places it in the picture.
    QRect BarBeside(const QRect& plotArea) const;
};

void DrawTitle(QPainter& painter, const CPlotFrame& frame, const QString& title);
