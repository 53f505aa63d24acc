#include "render/ModelPicture.h"

#include "draw/Axes.h"
#include "draw/PainterCanvas.h"
#include "model/ColourScale.h"
#include "platform/TextFormat.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

CModelPicture::CModelPicture(CModelSection section) : m_section(std::move(section))
{
    display.kind = m_section.ip || m_section.sensitivity ? EModelKind::ip : EModelKind::dc;
    const auto table = BuildColourTable();
    const auto& values = m_section.grid.values;
    m_cellColours.resize(values.size());
    for (size_t j = 0; j < values.size(); ++j) {
        const double v = values[j];
        m_cellColours[j] =
            m_section.IsAir(v)
                ? kAirColour
                : ToQColor(
                      table[static_cast<size_t>(ColourIndex(m_section.ColourValue(v), m_section.vMin, m_section.vMax))])
                      .rgb();
    }
}

QRectF CModelPicture::WholeWindow() const
{
    const auto& x = m_section.xNodes;
    const auto& z = m_section.zNodes;
    return QRectF(QPointF(x.front(), z.front()), QPointF(x.back(), z.back()));
}

QRectF CModelPicture::StartWindow() const
{
    const auto& x = m_section.xNodes;
    const auto& z = m_section.zNodes;
    return QRectF(QPointF(x[m_section.coreColumn0], z[m_section.coreRow0]),
                  QPointF(x[m_section.coreColumn1], z[m_section.coreRow1]));
}

QString CModelPicture::Title() const
{
    if (m_section.sensitivity)
        return "Cumulative sensitivity";
    return QString::fromStdString(
        ModelTitle(m_section.ip ? EModelKind::ip : EModelKind::dc, display.conductivity, display.log10));
}

void CModelPicture::Render(QPainter& painter, QSize size, const QRectF& window) const
{
    const CPlotFrame frame(size, false);
    const CPlotMapping mapping = Mapping(size, window);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    DrawTitle(painter, frame, Title());
    DrawCells(painter, mapping);
    if (meshLines)
        DrawMeshLines(painter, mapping);
    if (doiLine)
        DrawDoi(painter, mapping);
    CPainterCanvas canvas(painter, frame.font);
    const QRectF& w = mapping.Window();
    DrawAxes(canvas, mapping.Plot(), {w.left(), w.right(), "x (m)"}, {w.top(), w.bottom(), "depth (m)"});
    DrawColourBar(canvas, frame.BarBeside(mapping.Plot()), BuildColourTable(), m_section.vMin, m_section.vMax, display,
                  m_section.sensitivity ? "log10" : "");
}

void CModelPicture::DrawDoi(QPainter& painter, const CPlotMapping& mapping) const
{
    if (doi.size() < 2)
        return;
    QPolygonF line;
    for (const QPointF& p : doi)
        line << QPointF(mapping.ToPixelX(p.x()), mapping.ToPixelY(p.y()));
    painter.save();
    painter.setClipRect(mapping.Plot());
    painter.setRenderHint(QPainter::Antialiasing);
    // White under black dashes: seen on every colour of the scale.
    painter.setPen(QPen(Qt::white, 4));
    painter.drawPolyline(line);
    painter.setPen(QPen(Qt::black, 2, Qt::DashLine));
    painter.drawPolyline(line);
    painter.restore();
}

void CModelPicture::DrawCells(QPainter& painter, const CPlotMapping& mapping) const
{
    // Each pixel takes the colour of the cell under its centre: the work grows with the pixels
    // and the cells, never with their product.
    const QRect& plot = mapping.Plot();
    std::vector<int> columns(static_cast<size_t>(plot.width())), rows(static_cast<size_t>(plot.height()));
    for (int px = 0; px < plot.width(); ++px)
        columns[px] = m_section.ColumnAt(mapping.ToModelX(plot.left() + px + 0.5));
    for (int py = 0; py < plot.height(); ++py)
        rows[py] = m_section.RowAt(mapping.ToModelY(plot.top() + py + 0.5));

    QImage image(plot.size(), QImage::Format_RGB32);
    const int nx = m_section.grid.nx;
    for (int py = 0; py < plot.height(); ++py) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(py));
        if (rows[py] < 0) {
            std::fill(line, line + plot.width(), 0xFFFFFFFF);
            continue;
        }
        const QRgb* rowColours = m_cellColours.data() + static_cast<size_t>(rows[py]) * nx;
        for (int px = 0; px < plot.width(); ++px)
            line[px] = columns[px] < 0 ? 0xFFFFFFFF : rowColours[columns[px]];
    }
    painter.drawImage(plot.topLeft(), image);
}

void CModelPicture::DrawMeshLines(QPainter& painter, const CPlotMapping& mapping) const
{
    const QRect& plot = mapping.Plot();
    const auto& xs = m_section.xNodes;
    const auto& zs = m_section.zNodes;
    painter.save();
    painter.setClipRect(plot);
    painter.setPen(QPen(QColor(0, 0, 0, 100), 0));
    const int top = std::max(plot.top(), static_cast<int>(std::floor(mapping.ToPixelY(zs.front()))));
    const int bottom = std::min(plot.bottom(), static_cast<int>(std::floor(mapping.ToPixelY(zs.back()))));
    const int left = std::max(plot.left(), static_cast<int>(std::floor(mapping.ToPixelX(xs.front()))));
    const int right = std::min(plot.right(), static_cast<int>(std::floor(mapping.ToPixelX(xs.back()))));
    // Where cells are narrower than two pixels only every other pixel gets a line, so that
    // dense meshes darken instead of turning black.
    auto draw = [](const std::vector<double>& nodes, double lo, double hi, auto toPixel, auto line) {
        auto first = std::lower_bound(nodes.begin(), nodes.end(), lo);
        int last = -1000000;
        for (auto it = first; it != nodes.end() && *it <= hi; ++it) {
            const int p = static_cast<int>(std::floor(toPixel(*it)));
            if (p - last >= 2) {
                line(p);
                last = p;
            }
        }
    };
    const QRectF& window = mapping.Window();
    draw(
        xs, window.left(), window.right(), [&](double x) { return mapping.ToPixelX(x); },
        [&](int px) { painter.drawLine(px, top, px, bottom); });
    draw(
        zs, window.top(), window.bottom(), [&](double z) { return mapping.ToPixelY(z); },
        [&](int py) { painter.drawLine(left, py, right, py); });
    painter.restore();
}

std::string CModelPicture::Describe(QPointF position) const
{
    const double x = position.x(), z = position.y();
    std::string text = FormatC("x %.5g, depth %.5g", x, z);
    const int i = m_section.ColumnAt(x), k = m_section.RowAt(z);
    if (i < 0 || k < 0)
        return text;
    const auto& xs = m_section.xNodes;
    const auto& zs = m_section.zNodes;
    text += FormatC("    column %i of %i, row %i of %i: x %.5g to %.5g, depth %.5g to %.5g    ", i + 1,
                    m_section.grid.nx, k + 1, m_section.grid.nz, xs[i], xs[i + 1], zs[k], zs[k + 1]);
    const double v = m_section.grid.At(i, k);
    if (m_section.sensitivity)
        text += m_section.IsAir(v) ? "no sensitivity" : FormatC("sensitivity %.3g of the largest", v);
    else if (m_section.IsAir(v))
        text += "air";
    else if (m_section.ip)
        text += FormatC("chargeability %.5g", v);
    else
        text += FormatC("conductivity %.5g S/m, resistivity %.5g ohm m", v, 1 / v);
    return text;
}
