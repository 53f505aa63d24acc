#include "app/Icons.h"

#include "app/Resource.h"
#include "platform/IconRegistry.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

#include <functional>

namespace {

QIcon Draw(int w, int h, const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    paint(p);
    p.end();
    return QIcon(pixmap);
}

QIcon Text(const char* text, QColor colour)
{
    return Draw(16, 15, [&](QPainter& p) {
        QFont font(QStringLiteral("Sans Serif"));
        font.setPixelSize(9);
        font.setBold(true);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QRect(0, 0, 16, 15), Qt::AlignCenter, QString::fromUtf8(text));
    });
}

// A section: coloured blocks in the ground under a surface line.
void DrawSection(QPainter& p, int size)
{
    const double k = size / 16.0;
    auto r = [k](double x, double y, double w, double h) { return QRectF(x * k, y * k, w * k, h * k); };
    p.fillRect(r(0, 4, 16, 12), QColor(235, 225, 200));
    p.fillRect(r(2, 7, 5, 4), QColor(200, 40, 30));
    p.fillRect(r(9, 9, 5, 5), QColor(40, 80, 200));
    p.setPen(QPen(QColor(90, 60, 20), k));
    p.drawPolyline(
        QPolygonF({QPointF(0, 5 * k), QPointF(5 * k, 3 * k), QPointF(10 * k, 5 * k), QPointF(16 * k, 4 * k)}));
}

} // namespace

void RegisterIcons()
{
    QIcon app = Draw(32, 32, [](QPainter& p) { DrawSection(p, 32); });
    AfxRegisterIcon(IDR_MAINFRAME, app);
    AfxRegisterIcon(IDI_ABOUT, app);

    AfxRegisterIcon(ID_FILE_SAVE_AS, Draw(16, 15, [](QPainter& p) {
                        p.fillRect(1, 1, 14, 13, QColor(40, 60, 140));
                        p.fillRect(4, 1, 8, 5, Qt::white);
                        p.fillRect(4, 9, 8, 5, QColor(200, 200, 200));
                        p.fillRect(9, 2, 2, 3, QColor(40, 60, 140));
                    }));
    AfxRegisterIcon(ID_COLOURBAR_LOG10, Text("log", QColor(0, 110, 60)));
    AfxRegisterIcon(ID_COLOURBAR_COND_RES, Text("C/R", QColor(120, 40, 140)));
    AfxRegisterIcon(ID_EDIT_DC_MODEL, Text("DC", QColor(160, 20, 20)));
    AfxRegisterIcon(ID_EDIT_IP_MODEL, Text("IP", QColor(20, 60, 160)));
    AfxRegisterIcon(
        ID_EDIT_TOPOGRAPHY, Draw(16, 15, [](QPainter& p) {
            p.fillRect(0, 9, 16, 6, QColor(235, 225, 200));
            p.setPen(QPen(QColor(90, 60, 20), 2));
            p.drawPolyline(QPolygon({QPoint(0, 11), QPoint(5, 5), QPoint(9, 8), QPoint(12, 4), QPoint(15, 9)}));
        }));
    AfxRegisterIcon(ID_DISCRETIZE, Draw(16, 15, [](QPainter& p) {
                        p.setPen(QColor(60, 60, 60));
                        for (int x : {1, 4, 6, 8, 10, 12, 15})
                            p.drawLine(x, 1, x, 14);
                        for (int y : {1, 3, 5, 8, 14})
                            p.drawLine(1, y, 15, y);
                    }));
    AfxRegisterIcon(ID_VIEW_MODEL, Draw(16, 15, [](QPainter& p) {
                        const QColor colours[] = {QColor(200, 40, 30), QColor(240, 160, 40), QColor(80, 180, 80),
                                                  QColor(40, 80, 200)};
                        for (int i = 0; i < 4; ++i)
                            for (int j = 0; j < 4; ++j)
                                p.fillRect(1 + 4 * i, 1 + 3 * j + (j > 0), 3, 3, colours[(i + j) % 4]);
                    }));
    AfxRegisterIcon(ID_FORWARD_MODEL, Draw(16, 15, [](QPainter& p) {
                        p.setBrush(QColor(30, 130, 50));
                        p.setPen(Qt::NoPen);
                        p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(13, 7), QPoint(4, 12)}));
                    }));
    AfxRegisterIcon(ID_VIEW_DATA, Draw(16, 15, [](QPainter& p) {
                        const QColor colours[] = {QColor(40, 80, 200), QColor(80, 180, 80), QColor(240, 160, 40),
                                                  QColor(200, 40, 30)};
                        for (int row = 0; row < 4; ++row)
                            for (int i = row; i < 7 - row; ++i)
                                p.fillRect(1 + 2 * i, 2 + 3 * row, 2, 2, colours[row]);
                    }));
    AfxRegisterIcon(ID_VIEW_LOG_FILE, Draw(16, 15, [](QPainter& p) {
                        p.setPen(QColor(80, 80, 80));
                        p.setBrush(Qt::white);
                        p.drawRect(2, 0, 11, 14);
                        for (int y = 3; y < 13; y += 3)
                            p.drawLine(4, y, 11, y);
                    }));
}
