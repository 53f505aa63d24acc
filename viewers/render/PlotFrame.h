#pragma once

#include "platform/Colour.h"
#include "render/PlotMapping.h"

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <vector>

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

    // The colour bar right of a plot: as high as the plot, but never so low that it cannot
    // carry a few labels.
    QRect BarBeside(const QRect& plotArea) const;
};

// How values are labelled: the same toggles as the main view's colour bar.
struct CColourDisplay {
    bool dcValues = true;     // log10 conductivities, which the toggles apply to
    bool conductivity = true; // false: resistivity
    bool log10 = false;
};

QColor ToQColor(COLORREF colour);

void DrawTitle(QPainter& painter, const CPlotFrame& frame, const QString& title);

// The mapping's plot with its outline, ticks and labels; y labels are whole levels when levels is set.
void DrawAxes(QPainter& painter, const CPlotFrame& frame, const CPlotMapping& mapping, const QString& xCaption,
              const QString& yCaption, bool levels);

// "VE 2.5" under the plot's right end when depths are drawn stretched against x.
void DrawExaggeration(QPainter& painter, const CPlotFrame& frame, const CPlotMapping& mapping);

// The 61 bands in bar from the bottom up (turned over for resistivity) and labels at round values
// that never touch, as the main view draws its bar; caption, when given, stands above it instead
// of the unit.
void DrawColourBar(QPainter& painter, const CPlotFrame& frame, const QRect& bar,
                   const std::array<COLORREF, 61>& colours, double min, double max, const CColourDisplay& display,
                   const QString& caption = QString());
