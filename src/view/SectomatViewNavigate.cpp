// Moving about the section: vertical exaggeration, zoom and pan, and the readout of what lies
// under the pointer.
#include "view/SectomatView.h"

#include "dialogs/ExaggerationDlg.h"
#include "dialogs/ResourceIds.h"
#include "document/SectomatDoc.h"
#include "formats/Limits.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Whether a logical point lies in the ellipse inscribed in a rectangle.
bool InEllipse(const CRect& r, CPoint p)
{
    const double rx = (r.right - r.left) / 2.0, ry = (r.bottom - r.top) / 2.0;
    if (rx <= 0 || ry <= 0)
        return false;
    const double dx = (p.x - (r.left + rx)) / rx, dy = (p.y - (r.top + ry)) / ry;
    return dx * dx + dy * dy <= 1;
}

// Decimals that make the last digit about the size of a pixel, given in model units.
int Decimals(double unitsPerPixel)
{
    return std::clamp(static_cast<int>(std::ceil(-std::log10(unitsPerPixel))), 0, 6);
}

} // namespace

void CSectomatView::OnViewExaggeration(unsigned id)
{
    double e = 1;
    switch (id) {
    case ID_VIEW_EXAGGERATION_2:
        e = 2;
        break;
    case ID_VIEW_EXAGGERATION_5:
        e = 5;
        break;
    case ID_VIEW_EXAGGERATION_10:
        e = 10;
        break;
    case ID_VIEW_EXAGGERATION_OTHER: {
        CExaggerationDlg dlg;
        dlg.m_exaggeration = m_dExaggeration;
        if (dlg.DoModal() != IDOK)
            return;
        e = dlg.m_exaggeration;
        break;
    }
    default:
        break;
    }
    SetExaggeration(e);
}

void CSectomatView::OnUpdateViewExaggeration(CCmdUI* ui)
{
    const double presets[] = {1, 2, 5, 10};
    const unsigned index = ui->m_nID - ID_VIEW_EXAGGERATION_1;
    const bool preset = std::find(std::begin(presets), std::end(presets), m_dExaggeration) != std::end(presets);
    ui->Enable(!OperationRuns());
    ui->SetCheck(index < 4 ? m_dExaggeration == presets[index] : !preset);
}

void CSectomatView::OnViewFit()
{
    m_dZoom = 1;
    ShowSection(0, 0);
}

void CSectomatView::OnUpdateViewFit(CCmdUI* ui)
{
    ui->Enable(!OperationRuns());
}

void CSectomatView::SetExaggeration(double e)
{
    m_dExaggeration = std::clamp(e, kMinExaggeration, kMaxExaggeration);
    m_nPlotHeight = std::clamp(RoundToInt(m_nCoreHeight * m_dExaggeration), 1, 100000000);
    ShowSection(m_dViewX, m_dViewY);
}

double CSectomatView::PageScale() const
{
    return std::min(double(width()) / (m_nCoreWidth + 3000), double(height()) / (m_nPlotHeight + 2000));
}

void CSectomatView::ShowSection(double x, double y)
{
    m_dViewX = std::clamp(x, 0.0, m_nCoreWidth - m_nCoreWidth / m_dZoom);
    m_dViewY = std::clamp(y, 0.0, m_nCoreHeight - m_nCoreHeight / m_dZoom);
    Invalidate(true);
}

void CSectomatView::ZoomAt(CPoint pixel, double factor)
{
    const double zoom = std::clamp(m_dZoom * factor, 1.0, kMaxZoom);
    // The page point under the pixel, held inside the plot, and the section point there.
    const double k = PageScale();
    const double px = std::clamp(pixel.x / k - 1000, 0.0, double(m_nCoreWidth));
    const double py = std::clamp(pixel.y / k - 1000, 0.0, double(m_nPlotHeight));
    const XFORM before = SectionToPlot();
    const double x = (px - before.eDx) / before.eM11, y = (py - before.eDy) / before.eM22;
    m_dZoom = zoom;
    const XFORM after = SectionToPlot();
    ShowSection(x - px / after.eM11, y - py / after.eM22);
}

int CSectomatView::ShownDecimals(bool down) const
{
    const XFORM xf = SectionToPlot();
    return Decimals(1 / (PageScale() * (down ? xf.eM22 : xf.eM11) * m_dScale));
}

std::string CSectomatView::Readout(CPoint pixel) const
{
    const CSectomatDoc* doc = GetDocument();
    if (!doc || !m_pActiveList || width() < 1 || height() < 1)
        return "";
    const double k = PageScale();
    const double px = pixel.x / k - 1000, py = pixel.y / k - 1000;
    if (px < 0 || py < 0 || px >= m_nCoreWidth || py >= m_nPlotHeight)
        return "";
    // The logical point an edit would take there.
    const XFORM xf = SectionToPlot();
    const CPoint p = ClampToCore({RoundToInt((px - xf.eDx) / xf.eM11), RoundToInt((py - xf.eDy) / xf.eM22)});
    const double x = doc->m_coreX1 + p.x / m_dScale, z = doc->m_coreZ1 + p.y / m_dScale;
    std::string text = FormatC("x %.*f  z %.*f  ", ShownDecimals(false), x, ShownDecimals(true), z);

    if (doc->m_bTopography && p.y < ElevationAt(p.x))
        return text + "air";
    double v = m_fBackground;
    const CSectionUnits units = Units();
    for (const CElement& e : *m_pActiveList)
        if (e.m_bEllipse ? InEllipse(units.BlockRect(e), p) : units.Contains(e, p))
            v = e.m_value;
    if (!m_bDCModel)
        return text + FormatC("chargeability %.3g", v);
    const double shown = m_bConductivity ? v : -v;
    const char* name = m_bConductivity ? "cond" : "res";
    if (m_bLog10)
        return text + FormatC("log10 %s %.3g", name, shown + 0.0);
    return text + FormatC("%s %.3g", name, std::pow(10.0, shown));
}

void CSectomatView::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0 || OperationRuns() || !GetDocument())
        return;
    const QPoint p = event->position().toPoint();
    ZoomAt({p.x(), p.y()}, std::pow(1.25, notches));
}

void CSectomatView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::MiddleButton) {
        CView::mousePressEvent(event);
        return;
    }
    if (OperationRuns() || !GetDocument())
        return;
    m_bPanning = true;
    const QPoint p = event->position().toPoint();
    m_ptPanStart = {p.x(), p.y()};
    m_dPanX = m_dViewX;
    m_dPanY = m_dViewY;
    setCursor(Qt::ClosedHandCursor);
}

void CSectomatView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::MiddleButton) {
        CView::mouseReleaseEvent(event);
        return;
    }
    if (!m_bPanning)
        return;
    m_bPanning = false;
    if (m_bTopoMode)
        setCursor(Qt::CrossCursor);
    else
        unsetCursor();
}

void CSectomatView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_bPanning) {
        // The section follows the pointer.
        const XFORM xf = SectionToPlot();
        const double k = PageScale();
        ShowSection(m_dPanX - (p.x() - m_ptPanStart.x) / (k * xf.eM11),
                    m_dPanY - (p.y() - m_ptPanStart.y) / (k * xf.eM22));
        return;
    }
    CView::mouseMoveEvent(event);
    // While an edit runs, its own texts hold the status bar.
    if (OperationRuns())
        return;
    if (CFrameWnd* frame = GetParentFrame())
        frame->SetMessageText(Readout({p.x(), p.y()}));
}

void CSectomatView::leaveEvent(QEvent* event)
{
    CView::leaveEvent(event);
    if (CFrameWnd* frame = GetParentFrame(); frame && !OperationRuns())
        frame->SetMessageText("");
}
