#pragma once

#include <QRectF>

#include <string>
#include <vector>

class CCanvas;

// One axis of a plot: the values at its start (left or top) and at its end (right or bottom),
// in either order, and its caption with the unit.
struct CAxis {
    double first = 0;
    double last = 1;
    std::string caption{};
    bool levels = false; // whole numbers from 1 only
};

// One tick: where it stands along the axis, in the canvas's units, and its label.
struct CAxisTick {
    double at = 0;
    std::string label;
};

// Round ticks of an axis from start to start + length whose labels never touch: side by side
// (across) they keep a font size apart, one above the other half of one.
std::vector<CAxisTick> AxisTicks(const CCanvas& canvas, const CAxis& axis, double start, double length, bool across);

// Labels and ticks left of area, and a caption turned upward left of the labels unless it is "".
void DrawAxisLeft(CCanvas& canvas, const QRectF& area, const CAxis& axis);

// The plot's outline, the x axis under it and the y axis left of it, and "VE 2.5" under its right
// end when depths are drawn stretched by exaggeration against x.
void DrawAxes(CCanvas& canvas, const QRectF& plot, const CAxis& x, const CAxis& y, double exaggeration = 1);

// "VE 2.5" for an exaggeration of 2.5; "" for one that rounds to 1.
std::string ExaggerationLabel(double exaggeration);
