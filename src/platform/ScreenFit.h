#pragma once

#include <QRect>

class QWidget;

// A window's geometry (frame included) made to fit inside available: shrunk where it is larger,
// then moved, keeping its place where it already fits.
QRect FitInside(const QRect& window, const QRect& available);

// Before a top-level window is first shown: its size and position clamped to the available
// geometry of its screen, room left for the window manager's frame.
void PlaceOnScreen(QWidget& window);
