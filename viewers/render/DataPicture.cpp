#include "render/DataPicture.h"

#include "draw/Axes.h"
#include "draw/PainterCanvas.h"
#include "model/ColourScale.h"
#include "platform/TextFormat.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

CDataPicture::CDataPicture(CDataFile data, CPseudoSection section, std::optional<CTopographyFile> topography)
    : m_data(std::move(data)), m_section(std::move(section)), m_topography(std::move(topography))
{
    // Apparent resistivities are coloured by log10 of apparent conductivity, as the model is,
    // so that a conductor has the same colour in both viewers; the bar reads in resistivity.
    display.kind = m_data.ip ? EModelKind::ip : EModelKind::dc;
    if (!m_data.ip)
        display.conductivity = false;
}

QRectF CDataPicture::WholeWindow() const
{
    const double left = m_section.xMin, right = m_section.xMax;
    if (nLevel)
        return QRectF(QPointF(left, 0.5), QPointF(right, m_section.maxLevel + 0.5));
    return QRectF(QPointF(left, 0), QPointF(right, m_section.maxDepth));
}

void CDataPicture::SetEstimate(CDataEstimate estimate)
{
    m_estimate = std::move(estimate);
    m_errorMin = HUGE_VAL;
    m_errorMax = -HUGE_VAL;
    for (double p : m_estimate.percent)
        if (p > 0)
            FoldIntoRange(std::log10(p), m_errorMin, m_errorMax);
    if (m_errorMin > m_errorMax)
        m_errorMin = m_errorMax = 0;
}

QString CDataPicture::Title() const
{
    if (ShowsError())
        return "Estimated Error of V/I";
    if (m_data.ip)
        return "Apparent Chargeability";
    return QString(display.log10 ? "Log " : "") +
           (display.conductivity ? "Apparent Conductivity" : "Apparent Resistivity");
}

QRectF CDataPicture::CellRect(int index) const
{
    const CSectionCell& c = m_section.cells[static_cast<size_t>(index)];
    const CCellBox& b = nLevel ? c.levelBox : c.box;
    return QRectF(QPointF(b.left, b.top), QPointF(b.right, b.bottom));
}

bool CDataPicture::ColourValue(int index, double& value) const
{
    const size_t i = static_cast<size_t>(index);
    if (ShowsError()) {
        value = m_estimate.percent[i] > 0 ? std::log10(m_estimate.percent[i]) : 0;
        return m_estimate.percent[i] > 0;
    }
    value = m_section.cells[i].colourValue;
    return m_section.cells[i].valid;
}

QColor CDataPicture::CellColour(int index) const
{
    static const auto table = BuildColourTable();
    double v = 0;
    ColourValue(index, v);
    const int k =
        ShowsError() ? ColourIndex(v, m_errorMin, m_errorMax) : ColourIndex(v, m_section.vMin, m_section.vMax);
    return ToQColor(table[static_cast<size_t>(k)]);
}

int CDataPicture::DatumAt(QPointF position) const
{
    for (int i = static_cast<int>(m_section.cells.size()) - 1; i >= 0; --i) {
        const QRectF r = CellRect(i);
        if (position.x() >= r.left() && position.x() < r.right() && position.y() >= r.top() &&
            position.y() < r.bottom())
            return i;
    }
    return -1;
}

void CDataPicture::Render(QPainter& painter, QSize size, const QRectF& window) const
{
    const CPlotFrame frame(size, HasBand());
    const CPlotMapping mapping(frame.plot, window, false);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    DrawTitle(painter, frame, Title());

    painter.save();
    painter.setClipRect(frame.plot);
    const QBrush noValue(QColor(150, 150, 150), Qt::BDiagPattern);
    for (int i = 0; i < static_cast<int>(m_section.cells.size()); ++i) {
        // Whole-pixel edges, so that neighbouring cells meet without a seam.
        const QRectF r = CellRect(i);
        const int left = static_cast<int>(std::lround(mapping.ToPixelX(r.left())));
        const int right = static_cast<int>(std::lround(mapping.ToPixelX(r.right())));
        const int top = static_cast<int>(std::lround(mapping.ToPixelY(r.top())));
        const int bottom = static_cast<int>(std::lround(mapping.ToPixelY(r.bottom())));
        const QRect cell(left, top, std::max(1, right - left), std::max(1, bottom - top));
        if (!cell.intersects(frame.plot))
            continue;
        double value = 0;
        if (ColourValue(i, value)) {
            painter.fillRect(cell, CellColour(i));
        } else {
            painter.fillRect(cell, Qt::white);
            painter.fillRect(cell, noValue);
        }
    }
    painter.restore();

    CPainterCanvas canvas(painter, frame.font);
    const QRectF& w = mapping.Window();
    DrawAxes(canvas, mapping.Plot(), {w.left(), w.right(), "midpoint x (m)"},
             {w.top(), w.bottom(), nLevel ? "n-level" : "pseudo-depth (m)", nLevel},
             nLevel ? 1 : mapping.ScaleY() / mapping.ScaleX());
    if (m_topography)
        DrawSurface(painter, frame, mapping);
    if (ShowsError()) // labelled as conductivities are, 10 to the colour value
        DrawColourBar(canvas, frame.bar, BuildColourTable(), m_errorMin, m_errorMax, CColourDisplay(), "% (log)");
    else
        DrawColourBar(canvas, frame.bar, BuildColourTable(), m_section.vMin, m_section.vMax, display);
}

void CDataPicture::DrawSurface(QPainter& painter, const CPlotFrame& frame, const CPlotMapping& mapping) const
{
    const CTopographyFile& topo = *m_topography;
    auto elevationAt = [&topo](double x) { return topo.ElevationAt(x); };
    const QRect& band = frame.band;
    const QRectF& window = mapping.Window();
    const double left = window.left(), right = window.right();

    // Elevations over the visible width, with room above and below the surface.
    double lo = std::min(elevationAt(left), elevationAt(right)), hi = std::max(elevationAt(left), elevationAt(right));
    for (size_t i = 0; i < topo.x.size(); ++i)
        if (topo.x[i] > left && topo.x[i] < right) {
            lo = std::min(lo, topo.elevation[i]);
            hi = std::max(hi, topo.elevation[i]);
        }
    const double pad = std::max(0.15 * (hi - lo), 0.02 * (right - left));
    lo -= pad;
    hi += pad;
    const CPlotMapping surface(band, QRectF(QPointF(left, -hi), QPointF(right, -lo)), false);
    auto py = [&](double e) { return surface.ToPixelY(-e); };

    painter.save();
    painter.setClipRect(band.adjusted(0, 0, 1, 1));
    QPolygonF ground;
    ground << QPointF(band.left(), band.bottom() + 1) << QPointF(band.left(), py(elevationAt(left)));
    for (size_t i = 0; i < topo.x.size(); ++i)
        if (topo.x[i] > left && topo.x[i] < right)
            ground << QPointF(surface.ToPixelX(topo.x[i]), py(topo.elevation[i]));
    ground << QPointF(band.right() + 1, py(elevationAt(right))) << QPointF(band.right() + 1, band.bottom() + 1);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(QColor(222, 205, 170));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPolygon(ground);

    // The electrodes on the surface.
    const double s = frame.fontPixels * 0.35;
    painter.setBrush(Qt::black);
    for (double x : m_section.electrodes) {
        if (x < left || x > right)
            continue;
        const QPointF tip(surface.ToPixelX(x), py(elevationAt(x)));
        painter.drawPolygon(QPolygonF({tip, tip + QPointF(-s, -1.6 * s), tip + QPointF(s, -1.6 * s)}));
    }
    painter.restore();

    CPainterCanvas canvas(painter, frame.font);
    DrawAxisLeft(canvas, band, {hi, lo, ""});
    canvas.Text({QRectF(band).right() + frame.fontPixels, QRectF(band).center().y()}, CCanvas::left | CCanvas::middle,
                "elevation (m)");
}

std::string CDataPicture::Describe(QPointF position) const
{
    std::string text = FormatC(nLevel ? "x %.5g, n %.3g" : "x %.5g, pseudo-depth %.5g", position.x(), position.y());
    const int i = DatumAt(position);
    if (i < 0)
        return text;
    const CDataRecord& d = m_data.data[static_cast<size_t>(i)];
    const CSectionCell& c = m_section.cells[static_cast<size_t>(i)];
    text = FormatC("A %g  B %g  M %g  N %g    midpoint %.5g, n %i, pseudo-depth %.3g    ", d.a, d.b, d.m, d.n, c.x,
                   c.level, c.depth);
    if (m_data.ip)
        text += FormatC("eta_a %.5g", d.value);
    else
        text += FormatC("rho_a %.5g ohm m, V/I %.5g ohm", d.value, d.vi) +
                (c.valid || ShowsError() ? "" : "  (not coloured: no logarithm)");
    if (HasEstimate()) {
        const double p = m_estimate.percent[static_cast<size_t>(i)];
        text += FormatC("    estimated error of V/I %.3g %%", p) +
                (p > 0 || !ShowsError() ? "" : "  (not coloured: no logarithm)");
    }
    return text;
}
