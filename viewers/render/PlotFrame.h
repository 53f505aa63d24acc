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
};

// How values are labelled: the same toggles as the main view's colour bar.
struct CColourDisplay {
    bool dcValues = true;     // log10 conductivities, which the toggles apply to
    bool conductivity = true; // false: resistivity
    bool log10 = false;
};

// Tick positions at steps of 1, 2 or 5 times a power of ten, at most about maxTicks of them.
std::vector<double> NiceTicks(double lo, double hi, int maxTicks);

// A tick label: "%g" of the value, with the rounding noise of the step removed.
QString TickLabel(double value, double step);

QColor ToQColor(COLORREF colour);

void DrawTitle(QPainter& painter, const CPlotFrame& frame, const QString& title);

// The plot's outline, ticks and labels; y labels are whole levels when levels is set.
void DrawAxes(QPainter& painter, const CPlotFrame& frame, const CPlotMapping& mapping, const QString& xCaption,
              const QString& yCaption, bool levels);

// The 61 bands from the bottom up (turned over for resistivity) and the seven labels, as the
// main view draws its bar; caption, when given, stands above it instead of the unit.
void DrawColourBar(QPainter& painter, const CPlotFrame& frame, const std::array<COLORREF, 61>& colours, double min,
                   double max, const CColourDisplay& display, const QString& caption = QString());
