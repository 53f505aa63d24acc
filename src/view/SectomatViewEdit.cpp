// The editing side of the view: drawing and reshaping blocks with the mouse, the context menus
// and their commands, and the topography profile.
#include "view/SectomatView.h"

#include "dialogs/BlockPropDlg.h"
#include "document/SectomatDoc.h"
#include "model/ColourScale.h"
#include "platform/DC.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"
#include "view/ContextMenus.h"

#include <QCursor>
#include <QPoint>

#include <algorithm>
#include <cmath>

namespace {

CPoint Centre(const CRect& r)
{
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace

CPoint CSectomatView::ToLogical(CDC& dc, CPoint point) const
{
    dc.DPtoLP(&point);
    return point;
}

void CSectomatView::FinishEdit()
{
    GetDocument()->CommitEdit();
    m_itSelected = m_pActiveList->end();
    Invalidate(true);
}

void CSectomatView::ShowExtent()
{
    if (HasSelection() && m_itSelected->m_slope != 0)
        return;
    const CSectomatDoc* doc = GetDocument();
    if (CFrameWnd* frame = GetParentFrame())
        frame->SetMessageText(FormatC("X: (%g, %g),   Z: (%g, %g)", m_ptAnchor.x / m_dScale + doc->m_coreX1,
                                      m_ptCorner.x / m_dScale + doc->m_coreX1, m_ptAnchor.y / m_dScale + doc->m_coreZ1,
                                      m_ptCorner.y / m_dScale + doc->m_coreZ1));
}

void CSectomatView::DrawSheared(CDC& dc, CPoint a, CPoint b, int o)
{
    const CPoint outline[5] = {{a.x + o, a.y}, {a.x - o, b.y}, {b.x - o, b.y}, {b.x + o, a.y}, {a.x + o, a.y}};
    dc.Polyline(outline, 5);
}

void CSectomatView::DrawBlockShape(CDC& dc, const CElement& block, CPoint a, CPoint b)
{
    if (block.m_bEllipse)
        dc.Ellipse({a.x, a.y, b.x, b.y});
    else if (block.m_slope == 0)
        dc.Rectangle({a.x, a.y, b.x, b.y});
    else
        DrawSheared(dc, a, b, RoundToInt((b.y - a.y) * 0.5 * block.m_slope));
}

void CSectomatView::OnLButtonDown(unsigned, CPoint point)
{
    if (m_bTopoMode || m_pending != PendingOp::none || !m_pActiveList)
        return;
    CClientDC dc(this);
    if (HasSelection()) {
        DrawSelection(&dc);
        m_itSelected = m_pActiveList->end();
    }
    m_ptAnchor = ClampToCore(ToLogical(dc, point));
    m_bTracking = m_bFirstDrag = true;
}

void CSectomatView::OnMouseMove(unsigned flags, CPoint point)
{
    const bool left = flags & MK_LBUTTON;
    const bool pending = m_pending != PendingOp::none;
    if (m_bTopoMode || !m_bTracking || (!left && !pending))
        return;
    // The block operations need the block the context menu selected.
    if (pending && !HasSelection())
        return;
    CClientDC dc(this);
    const CPoint p = ClampToCore(ToLogical(dc, point));
    const int oldRop = dc.SetROP2(R2_NOTXORPEN);

    enum { RubberBand, Shear, Ellipse, MoveOrSize } shape;
    if (m_pending == PendingOp::shear)
        shape = Shear;
    else if (m_pending == PendingOp::ellipse)
        shape = Ellipse;
    else
        shape = pending ? MoveOrSize : RubberBand;

    switch (shape) {
    case RubberBand:
        m_ptCorner = p;
        if (!m_bFirstDrag)
            dc.Rectangle({m_ptAnchor.x, m_ptAnchor.y, m_ptPrevious1.x, m_ptPrevious1.y});
        else
            m_bFirstDrag = false;
        dc.Rectangle({m_ptAnchor.x, m_ptAnchor.y, m_ptCorner.x, m_ptCorner.y});
        m_ptPrevious1 = m_ptCorner;
        ShowExtent();
        break;
    case Shear: {
        const CRect r = Units().BlockRect(*m_itSelected);
        const int s = p.x - Centre(r).x;
        if (!m_bFirstDrag)
            DrawSheared(dc, {r.left, r.top}, {r.right, r.bottom}, m_nPreviousShear);
        else
            m_bFirstDrag = false;
        DrawSheared(dc, {r.left, r.top}, {r.right, r.bottom}, s);
        m_nPreviousShear = s;
        break;
    }
    case Ellipse:
    case MoveOrSize: {
        const CRect r = Units().BlockRect(*m_itSelected);
        const CPoint c = Centre(r);
        const int dx = p.x - c.x, dy = p.y - c.y;
        if (m_pending == PendingOp::move) {
            m_ptAnchor = ClampToCore({r.left + dx, r.top + dy});
            m_ptCorner = ClampToCore({r.right + dx, r.bottom + dy});
        } else {
            m_ptAnchor = ClampToCore({c.x - dx, c.y - dy});
            m_ptCorner = ClampToCore({c.x + dx, c.y + dy});
        }
        auto draw = [&](CPoint a, CPoint b) {
            if (shape == Ellipse)
                dc.Ellipse({a.x, a.y, b.x, b.y});
            else
                DrawBlockShape(dc, *m_itSelected, a, b);
        };
        if (!m_bFirstDrag)
            draw(m_ptPrevious1, m_ptPrevious2);
        else
            m_bFirstDrag = false;
        draw(m_ptAnchor, m_ptCorner);
        m_ptPrevious1 = m_ptAnchor;
        m_ptPrevious2 = m_ptCorner;
        ShowExtent();
        break;
    }
    }
    dc.SetROP2(oldRop);
}

void CSectomatView::OnLButtonUp(unsigned, CPoint point)
{
    if (m_bTopoMode || !m_bTracking)
        return;
    if (CFrameWnd* frame = GetParentFrame())
        frame->SetMessageText("");
    const bool pending = m_pending != PendingOp::none;
    if (pending && !HasSelection())
        return;
    {
        CClientDC dc(this);
        if (m_pending == PendingOp::none || m_pending == PendingOp::shear)
            m_ptCorner = ClampToCore(ToLogical(dc, point));
    }
    if (m_pending != PendingOp::shear) {
        if (m_ptAnchor.x == m_ptCorner.x || m_ptAnchor.y == m_ptCorner.y)
            return;
        if (m_ptAnchor.x > m_ptCorner.x)
            std::swap(m_ptAnchor.x, m_ptCorner.x);
        if (m_ptAnchor.y > m_ptCorner.y)
            std::swap(m_ptAnchor.y, m_ptCorner.y);
    }

    CSectomatDoc* doc = GetDocument();
    const double x0 = doc->m_coreX1, z0 = doc->m_coreZ1;
    CBlockPropDlg dlg(m_fBackground, ShownModel(), m_bConductivity, m_bLog10);
    dlg.SetCore(doc->m_coreX1, doc->m_coreX2, doc->m_coreZ1, doc->m_coreZ2);
    dlg.m_x1 = m_ptAnchor.x / m_dScale + x0;
    dlg.m_z1 = m_ptAnchor.y / m_dScale + z0;
    // A moved block's far corner comes from its rectangle, which takes in the logical column and
    // row of x2 and z2: without taking that back, every move would widen the block by one unit.
    const bool fromRect = m_pending == PendingOp::move;
    const int right = fromRect && m_ptCorner.x < m_nCoreWidth ? m_ptCorner.x - 1 : m_ptCorner.x;
    const int bottom = fromRect && m_ptCorner.y < m_nCoreHeight ? m_ptCorner.y - 1 : m_ptCorner.y;
    dlg.m_x2 = right / m_dScale + x0;
    dlg.m_z2 = bottom / m_dScale + z0;
    dlg.m_value = m_pActiveList->empty() ? m_fBackground + 0.5f : m_pActiveList->back().m_value;

    bool committed = true;
    if (!pending) {
        if (dlg.DoModal() == IDOK) {
            CElement& block =
                m_pActiveList->emplace_back(dlg.m_x1, dlg.m_z1, dlg.m_x2, dlg.m_z2, dlg.m_value, dlg.m_slope);
            block.m_bEllipse = dlg.m_nEllipse != 0;
            FoldIntoRange(block.m_value, m_dMin, m_dMax);
        } else {
            committed = false;
        }
    } else if (m_pending == PendingOp::shear) {
        Units().ShearTo(*m_itSelected, m_ptCorner);
    } else {
        CElement& block = *m_itSelected;
        block.SetGeometry(dlg.m_x1, dlg.m_z1, dlg.m_x2, dlg.m_z2, block.m_value, block.m_slope);
        if (m_pending == PendingOp::ellipse)
            block.m_bEllipse = true;
    }
    if (committed)
        doc->CommitEdit();
    m_itSelected = m_pActiveList->end();
    EndTracking();
    Invalidate(true);
}

void CSectomatView::StartPending(PendingOp op)
{
    m_pending = op;
    m_bTracking = m_bFirstDrag = true;
    setFocus(); // for Escape
}

void CSectomatView::OnBlockMove()
{
    StartPending(PendingOp::move);
}

void CSectomatView::OnBlockSize()
{
    StartPending(PendingOp::size);
}

void CSectomatView::OnBlockShear()
{
    StartPending(PendingOp::shear);
}

void CSectomatView::OnBlockEllipse()
{
    StartPending(PendingOp::ellipse);
}

void CSectomatView::EndTracking()
{
    m_pending = PendingOp::none;
    m_bTracking = m_bFirstDrag = false;
}

void CSectomatView::OnKeyDown(unsigned key)
{
    if (key != VK_ESCAPE || !m_bTracking)
        return;
    EndTracking();
    if (CFrameWnd* frame = GetParentFrame())
        frame->SetMessageText("");
    if (m_pActiveList)
        m_itSelected = m_pActiveList->end();
    Invalidate(true);
}

void CSectomatView::OnContextMenu(CPoint screen)
{
    // A menu over a pending operation would let a second one start beside it.
    if (m_pending != PendingOp::none || !m_pActiveList)
        return;
    CSectomatDoc* doc = GetDocument();
    CPoint p;
    {
        CClientDC dc(this);
        if (HasSelection()) {
            DrawSelection(&dc);
            m_itSelected = m_pActiveList->end();
        }
        const QPoint client = mapFromGlobal(QPoint(screen.x, screen.y));
        p = ToLogical(dc, {client.x(), client.y()});
    }

    if (m_bTopoMode) {
        double best = 1e20;
        m_itNearestTopo = doc->m_topo.end();
        // Nearest as the screen shows it: depths count as stretched by the exaggeration.
        const XFORM xf = SectionToPlot();
        const double down = xf.eM22 / xf.eM11;
        const std::vector<CPoint> points = TopoPoints();
        auto it = doc->m_topo.begin();
        for (size_t i = 0; i < points.size(); ++i, ++it) {
            const double d = std::hypot(double(points[i].x) - p.x, (double(points[i].y) - p.y) * down);
            if (d < best) {
                best = d;
                m_itNearestTopo = it;
            }
        }
        std::vector<unsigned> greyed;
        if (!doc->m_bTopography)
            greyed = {ID_TOPO_REMOVE, ID_TOPO_DELETE_POINT};
        else if (doc->m_topo.size() == 2)
            greyed = {ID_TOPO_DELETE_POINT};
        TrackPopupMenu(kContextMenus[1], screen, greyed);
        return;
    }

    // The last block in list order is the one drawn on top.
    const CSectionUnits units = Units();
    for (auto it = m_pActiveList->begin(); it != m_pActiveList->end(); ++it)
        if (units.Contains(*it, p))
            m_itSelected = it;
    if (!HasSelection())
        return;
    {
        CClientDC dc(this);
        DrawSelection(&dc);
    }
    TrackPopupMenu(kContextMenus[0], screen, {});
}

void CSectomatView::OnBlockProperties()
{
    if (!HasSelection())
        return;
    CSectomatDoc* doc = GetDocument();
    CElement& block = *m_itSelected;
    CBlockPropDlg dlg(m_fBackground, ShownModel(), m_bConductivity, m_bLog10);
    dlg.SetCore(doc->m_coreX1, doc->m_coreX2, doc->m_coreZ1, doc->m_coreZ2);
    dlg.m_x1 = block.m_x1;
    dlg.m_x2 = block.m_x2;
    dlg.m_z1 = block.m_z1;
    dlg.m_z2 = block.m_z2;
    dlg.m_value = block.m_value;
    dlg.m_slope = block.m_slope;
    dlg.m_nEllipse = block.m_bEllipse ? 1 : 0;
    if (dlg.DoModal() == IDOK) {
        const double x1 = std::max(dlg.m_x1, doc->m_coreX1), x2 = std::min(dlg.m_x2, doc->m_coreX2);
        const double z1 = std::max(dlg.m_z1, doc->m_coreZ1), z2 = std::min(dlg.m_z2, doc->m_coreZ2);
        block.SetGeometry(x1, z1, x2, z2, dlg.m_value, dlg.m_slope);
        block.m_bEllipse = dlg.m_nEllipse != 0;
        RecomputeRange();
        doc->CommitEdit();
    }
    m_itSelected = m_pActiveList->end();
    Invalidate(true);
}

void CSectomatView::OnBlockDelete()
{
    if (HasSelection())
        m_pActiveList->erase(m_itSelected);
    m_itSelected = m_pActiveList->end();
    RecomputeRange();
    FinishEdit();
}

void CSectomatView::OnBlockToBack()
{
    if (HasSelection()) {
        m_pActiveList->push_front(*m_itSelected);
        m_pActiveList->erase(m_itSelected);
    }
    FinishEdit();
}

void CSectomatView::OnBlockCopy()
{
    if (HasSelection()) {
        const CSectomatDoc* doc = GetDocument();
        const float otherBackground = m_bDCModel ? doc->m_ipBackground : doc->m_dcBackground;
        const float value = m_pOtherList->empty() ? otherBackground + 0.5f : m_pOtherList->back().m_value;
        CElement& copy = m_pOtherList->emplace_back(*m_itSelected);
        copy.m_value = value;
    }
    FinishEdit();
}

void CSectomatView::OnEditTopography()
{
    m_bTopoMode = !m_bTopoMode;
    if (m_bTopoMode)
        setCursor(Qt::CrossCursor);
    else
        unsetCursor();
    ShowTopographyMode();
    Invalidate(true); // the profile's points are marked only in the mode
}

void CSectomatView::ShowTopographyMode(const std::string& news)
{
    if (CFrameWnd* frame = GetParentFrame())
        frame->SetModeText(!m_bTopoMode   ? ""
                           : news.empty() ? "Topography mode: double-click to place a point"
                                          : "Topography mode: " + news);
}

void CSectomatView::OnUpdateEditTopography(CCmdUI* ui)
{
    ui->SetCheck(m_bTopoMode);
}

void CSectomatView::OnLButtonDblClk(unsigned, CPoint point)
{
    if (!m_bTopoMode || !GetDocument())
        return;
    CSectomatDoc* doc = GetDocument();
    CRect core = m_rcCore;
    CPoint clicked;
    {
        CClientDC dc(this);
        clicked = ToLogical(dc, point);
        dc.LPtoDP(&core);
    }
    const CPoint p = ClampToCore(clicked);
    // The position to the digits the status bar showed for it: finer ones the click cannot mean.
    // On the core's edges it is the edge itself.
    auto shown = [this](int logical, int size, bool down, double least, double most) {
        if (logical <= 0 || logical >= size)
            return logical <= 0 ? least : most;
        double rounded = least + logical / m_dScale;
        ParseDoubleC(FormatC("%.*f", ShownDecimals(down), rounded), rounded);
        return std::clamp(rounded + 0.0, least, most);
    };
    const double x = shown(p.x, m_nCoreWidth, false, doc->m_coreX1, doc->m_coreX2);
    const double z = shown(p.y, m_nCoreHeight, true, doc->m_coreZ1, doc->m_coreZ2);
    const CTopoPt added(x, z);
    const int addedX = Units().Point(x, z).x;
    const std::vector<CPoint> points = TopoPoints();
    auto it = doc->m_topo.begin();
    size_t i = 0;
    for (; it != doc->m_topo.end() && points[i].x < addedX; ++i)
        ++it;
    if (it != doc->m_topo.end() && points[i].x == addedX)
        *it = added;
    else
        doc->m_topo.insert(it, added);
    // Above the core's top the point stays on it, which the user would not see at once.
    ShowTopographyMode(clicked.y < 0 ? FormatC("above the core, so the point went to its top (depth %g); Model "
                                               "Properties can raise the top.",
                                               doc->m_coreZ1)
                                     : "");
    doc->m_bTopography = true;
    // Every change of the profile is a change of the model that must be saved.
    const bool wasDiscretized = doc->m_bDiscretized;
    doc->CommitEdit();
    if (wasDiscretized)
        Invalidate(true);
    else
        InvalidateRect(core, true);
}

void CSectomatView::OnTopoDeletePoint()
{
    CSectomatDoc* doc = GetDocument();
    // The profile keeps its two ends.
    if (m_itNearestTopo != doc->m_topo.end() && doc->m_topo.size() > 2)
        doc->m_topo.erase(m_itNearestTopo);
    m_itNearestTopo = doc->m_topo.end();
    if (doc->m_topo.size() == 2 && doc->m_topo.front().m_z == 0.0 && doc->m_topo.back().m_z == 0.0)
        doc->m_bTopography = false;
    FinishEdit();
}

void CSectomatView::OnTopoRemove()
{
    CSectomatDoc* doc = GetDocument();
    doc->FlatTopography();
    m_itNearestTopo = doc->m_topo.end();
    FinishEdit();
}
