#include "platform/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect FitInside(const QRect& window, const QRect& available)
{
    const int width = std::min(window.width(), available.width());
    const int height = std::min(window.height(), available.height());
    const int x = std::clamp(window.x(), available.left(), available.left() + available.width() - width);
    const int y = std::clamp(window.y(), available.top(), available.top() + available.height() - height);
    return QRect(x, y, width, height);
}

void PlaceOnScreen(QWidget& window)
{
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // The frame is not known before the window is shown: allow for a title bar and borders.
    const QSize frame(16, 40);
    QRect outer(window.pos(), window.size() + frame);
    // A window never placed yet opens in the middle of the screen.
    if (!window.testAttribute(Qt::WA_Moved))
        outer.moveCenter(available.center());
    outer = FitInside(outer, available);
    window.resize(outer.size() - frame);
    window.move(outer.topLeft());
}
