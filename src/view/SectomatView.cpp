#include "view/SectomatView.h"

#include "dialogs/ResourceIds.h"
#include "document/SectomatDoc.h"
#include "draw/Axes.h"
#include "draw/ColourBar.h"
#include "formats/TopographyFile.h"
#include "forward/ForwardRun.h"
#include "mesh/Locations.h"
#include "mesh/Topography.h"
#include "model/ColourScale.h"
#include "platform/DC.h"
#include "platform/Refusal.h"
#include "platform/TextFormat.h"
#include "view/DCCanvas.h"

#include <algorithm>
#include <cmath>
#include <set>

CSectomatView::CSectomatView(QWidget* parent) : CView(parent), m_colours(BuildColourTable())
{
    MapCommand(ID_EDIT_DC_MODEL, &CSectomatView::OnEditDCModel);
    MapUpdate(ID_EDIT_DC_MODEL, &CSectomatView::OnUpdateEditDCModel);
    MapCommand(ID_EDIT_IP_MODEL, &CSectomatView::OnEditIPModel);
    MapUpdate(ID_EDIT_IP_MODEL, &CSectomatView::OnUpdateEditIPModel);
    MapCommand(ID_COLOURBAR_LOG10, &CSectomatView::OnColourbarLog10);
    MapUpdate(ID_COLOURBAR_LOG10, &CSectomatView::OnUpdateColourbarLog10);
    MapCommand(ID_COLOURBAR_COND_RES, &CSectomatView::OnColourbarCondRes);
    MapUpdate(ID_COLOURBAR_COND_RES, &CSectomatView::OnUpdateColourbarCondRes);
    MapCommand(ID_VIEW_DATA, &CSectomatView::OnViewData);
    MapUpdate(ID_VIEW_DATA, &CSectomatView::OnUpdateViewData);
    MapCommand(ID_VIEW_MODEL, &CSectomatView::OnViewModel);
    MapUpdate(ID_VIEW_MODEL, &CSectomatView::OnUpdateViewModel);
    MapCommand(ID_VIEW_SENSITIVITY, &CSectomatView::OnViewSensitivity);
    MapCommand(ID_VIEW_DEPTH_OF_INVESTIGATION, &CSectomatView::OnViewDepthOfInvestigation);
    MapUpdate(ID_VIEW_DEPTH_OF_INVESTIGATION, &CSectomatView::OnUpdateViewDepthOfInvestigation);
    MapUpdate(ID_VIEW_SENSITIVITY, &CSectomatView::OnUpdateViewSensitivity);
    MapCommand(ID_BLOCK_MOVE, &CSectomatView::OnBlockMove);
    MapCommand(ID_BLOCK_SIZE, &CSectomatView::OnBlockSize);
    MapCommand(ID_BLOCK_SHEAR, &CSectomatView::OnBlockShear);
    MapCommand(ID_BLOCK_ELLIPSE, &CSectomatView::OnBlockEllipse);
    MapCommand(ID_BLOCK_PROPERTIES, &CSectomatView::OnBlockProperties);
    MapCommand(ID_BLOCK_DELETE, &CSectomatView::OnBlockDelete);
    MapCommand(ID_BLOCK_TO_BACK, &CSectomatView::OnBlockToBack);
    MapCommand(ID_BLOCK_COPY, &CSectomatView::OnBlockCopy);
    MapCommand(ID_EDIT_TOPOGRAPHY, &CSectomatView::OnEditTopography);
    MapUpdate(ID_EDIT_TOPOGRAPHY, &CSectomatView::OnUpdateEditTopography);
    MapCommand(ID_TOPO_DELETE_POINT, &CSectomatView::OnTopoDeletePoint);
    MapCommand(ID_TOPO_REMOVE, &CSectomatView::OnTopoRemove);
    MapCommandRange(ID_VIEW_EXAGGERATION_1, ID_VIEW_EXAGGERATION_OTHER, &CSectomatView::OnViewExaggeration);
    for (unsigned id = ID_VIEW_EXAGGERATION_1; id <= ID_VIEW_EXAGGERATION_OTHER; ++id)
        MapUpdate(id, &CSectomatView::OnUpdateViewExaggeration);
    MapCommand(ID_VIEW_FIT, &CSectomatView::OnViewFit);
    MapUpdate(ID_VIEW_FIT, &CSectomatView::OnUpdateViewFit);
}

CSectomatDoc* CSectomatView::GetDocument() const
{
    return static_cast<CSectomatDoc*>(CView::GetDocument());
}

void CSectomatView::OnPrepareDC(CDC* pDC)
{
    const CRect client = GetClientRect();
    if (client.Width() < 1 || client.Height() < 1)
        return;
    pDC->SetMapMode(MM_ISOTROPIC);
    pDC->SetWindowExt(m_nCoreWidth + 3000, m_nPlotHeight + 2000);
    pDC->SetWindowOrg(-1000, -1000);
    pDC->SetViewportExt(client.Width(), client.Height());
    pDC->SetViewportOrg(0, 0);
    pDC->IntersectClipRect(PlotRect());
    pDC->SetWorldTransform(SectionToPlot());
}

XFORM CSectomatView::SectionToPlot() const
{
    // At exaggeration 1 the plot is exactly as high as the core, so the factor is exactly 1.
    const double down = m_nCoreHeight > 0 ? double(m_nPlotHeight) / m_nCoreHeight : m_dExaggeration;
    XFORM xf;
    xf.eM11 = m_zoom.Zoom();
    xf.eM22 = xf.eM11 * down;
    xf.eDx = -m_zoom.Window().left() * xf.eM11;
    xf.eDy = -m_zoom.Window().top() * xf.eM22;
    return xf;
}

void CSectomatView::UseModel(EModelKind kind)
{
    CSectomatDoc* doc = GetDocument();
    m_bDCModel = kind == EModelKind::dc;
    m_pActiveList = m_bDCModel ? &doc->m_dcModel : &doc->m_ipModel;
    m_pOtherList = m_bDCModel ? &doc->m_ipModel : &doc->m_dcModel;
    m_fBackground = m_bDCModel ? doc->m_dcBackground : doc->m_ipBackground;
    m_itSelected = m_pActiveList->end();
    RecomputeRange();
}

void CSectomatView::OnUpdate(CView* sender, long hint, void* hintObject)
{
    CSectomatDoc* doc = GetDocument();
    if (!doc)
        return;
    if (hint == kHintResults) {
        Invalidate();
        return;
    }
    UseModel(ShownModel());
    const double width = doc->m_coreX2 - doc->m_coreX1;
    m_dScale = m_nCoreWidth / width;
    m_nCoreHeight = RoundToInt((doc->m_coreZ2 - doc->m_coreZ1) / width * m_nCoreWidth);
    m_rcCore = {0, 0, m_nCoreWidth, m_nCoreHeight};
    // Another core area is another section: show it whole. The exaggeration stays.
    const double core[4] = {doc->m_coreX1, doc->m_coreX2, doc->m_coreZ1, doc->m_coreZ2};
    if (!std::equal(core, core + 4, m_lastCore)) {
        std::copy(core, core + 4, m_lastCore);
        m_zoom.SetWhole(QRectF(0, 0, m_nCoreWidth, m_nCoreHeight));
    }
    m_nPlotHeight = std::clamp(RoundToInt(m_nCoreHeight * m_dExaggeration), 1, 100000000);
    m_itNearestTopo = doc->m_topo.end();
    // A new discretization reads its protocol again.
    m_surveyKey.clear();
    EndTracking(); // whatever it was following may be gone
    m_ptAnchor = m_ptCorner = {-1, -1};
    CView::OnUpdate(sender, hint, hintObject);
    if (doc->m_bDiscretized && hint != kHintOpened)
        OnViewModel();
}

void CSectomatView::OnInitialUpdate()
{
    OnUpdate(nullptr, kHintOpened, nullptr);
}

CPoint CSectomatView::ClampToCore(CPoint pt) const
{
    pt.x = std::clamp(pt.x, 0, m_nCoreWidth);
    pt.y = std::clamp(pt.y, 0, m_nCoreHeight);
    return pt;
}

void CSectomatView::RecomputeRange()
{
    m_dMin = static_cast<double>(1e20f);
    m_dMax = static_cast<double>(-1e20f);
    FoldIntoRange(m_fBackground, m_dMin, m_dMax);
    if (m_pActiveList)
        for (const CElement& e : *m_pActiveList)
            FoldIntoRange(e.m_value, m_dMin, m_dMax);
}

COLORREF CSectomatView::ValueColour(double v) const
{
    return m_colours[static_cast<size_t>(ColourIndex(v, m_dMin, m_dMax))];
}

CTopographyFile CSectomatView::SurfaceProfile(int left, int right) const
{
    const CSectomatDoc* doc = GetDocument();
    if (!doc->m_bTopography)
        return {};
    return BuildExtendedProfile(*doc, doc->m_coreX1 + std::min(left, 0) / m_dScale,
                                doc->m_coreX1 + std::max(right, m_nCoreWidth) / m_dScale);
}

int CSectomatView::SurfaceY(const CTopographyFile& profile, int x) const
{
    const CSectomatDoc* doc = GetDocument();
    if (profile.x.empty())
        return 0;
    return RoundToInt((-profile.ElevationAt(doc->m_coreX1 + x / m_dScale) - doc->m_coreZ1) * m_dScale);
}

int CSectomatView::ElevationAt(int x) const
{
    return SurfaceY(SurfaceProfile(x, x), x);
}

void CSectomatView::PlanShownSurvey()
{
    const CSectomatDoc* doc = GetDocument();
    const CDiscretizeSettings& d = doc->m_discretize;
    const std::string key =
        FormatC("%.17g %.17g %i %.17g %i ", doc->m_coreX1, doc->m_coreX2, d.n, d.aSpacing, static_cast<int>(d.array)) +
        d.protocolFile;
    if (key == m_surveyKey)
        return;
    m_surveyKey = key;
    m_electrodes.clear();
    m_firstConfigurations.clear();
    CModelData model = *doc; // planning may lower n, which is the discretization's to do
    std::vector<CQuadrupole> data;
    try {
        data = PlanSurvey(model).file.data;
    } catch (const CRefusal&) {
        return; // nothing to mark: the discretization gives the reason
    }
    std::vector<double> positions;
    for (const CQuadrupole& q : data)
        positions.insert(positions.end(), {q.a, q.b, q.m, q.n});
    m_electrodes = ElectrodePositions(std::move(positions));
    if (data.empty())
        return;
    if (IsNumberedArray(d.array)) {
        m_firstConfigurations = {data.front()};
        return;
    }
    // Transmitters go from left to right.
    const CQuadrupole first = d.array == EArray::poleDipoleLeft ? data.back() : data.front();
    for (const CQuadrupole& q : data)
        if (q.a == first.a && q.b == first.b)
            m_firstConfigurations.push_back(q);
}

const std::vector<double>& CSectomatView::SurveyElectrodes()
{
    PlanShownSurvey();
    return m_electrodes;
}

void CSectomatView::OnDraw(CDC* pDC)
{
    CSectomatDoc* doc = GetDocument();
    if (!doc || !m_pActiveList)
        return;
    CFont font(pDC->GetWindowExt().cx / 70);
    CFont* oldFont = pDC->SelectObject(&font);
    pDC->SetBkMode(TRANSPARENT);

    // The model, in the section's units and inside the plot, as prepared.
    if (pDC->RectVisible(m_rcCore))
        DrawModelBody(pDC);
    // The rest is in the page's units.
    pDC->SetWorldTransform(XFORM());
    pDC->ResetClip();
    if (doc->m_bDiscretized)
        DrawElectrodes(pDC);
    if (m_bTopoMode)
        DrawTopographyPoints(pDC);

    DrawAxesAndBar(pDC);

    pDC->SetTextAlign(TA_CENTER | TA_BASELINE);
    pDC->TextOut(m_nCoreWidth / 2, -350, ModelTitle(ShownModel(), m_bConductivity, m_bLog10));
    pDC->SelectObject(oldFont);
}

CSectionUnits CSectomatView::Units() const
{
    const CSectomatDoc* doc = GetDocument();
    return {doc->m_coreX1, doc->m_coreZ1, m_dScale};
}

std::vector<CPoint> CSectomatView::TopoPoints() const
{
    const CSectomatDoc* doc = GetDocument();
    const CSectionUnits units = Units();
    std::vector<CPoint> points;
    for (const CTopoPt& p : doc->m_topo)
        points.push_back(units.Point(p.m_x, p.m_z));
    // A flat surface runs along the top of the core area; a file may hold no points at all.
    if (!doc->m_bTopography && !points.empty()) {
        points.front() = {0, 0};
        points.back() = {m_nCoreWidth, 0};
    }
    return points;
}

void CSectomatView::DrawBlockCells(CDC* pDC, const CElement& e, const CBlockCells& cells)
{
    const CSectionUnits units = Units();
    auto rect = [&units](const CMeshBox& b) { return units.Rect(b.x1, b.z1, b.x2, b.z2); };
    std::vector<CRect> rects;
    if (e.m_bEllipse) {
        // Each cell takes in its right column and bottom row, as a block does.
        for (const CMeshBox& b : cells.cells)
            rects.push_back(units.Area(b.x1, b.z1, b.x2, b.z2));
    } else if (e.m_slope != 0) {
        for (const CMeshBox& b : cells.rows)
            rects.push_back(rect(b));
    }
    CBrush hollow = CBrush::Hollow();
    CBrush* oldBrush = pDC->SelectObject(&hollow);
    if (e.m_bEllipse || e.m_slope != 0)
        pDC->PolyRectangle(rects.data(), static_cast<int>(rects.size()));
    else
        pDC->Rectangle(rect(cells.rect));
    pDC->SelectObject(oldBrush);
}

void CSectomatView::DrawModelBody(CDC* pDC)
{
    CSectomatDoc* doc = GetDocument();
    CBrush background(ValueColour(m_fBackground));
    pDC->FillRect(m_rcCore, &background);

    CPen outlinePen(PS_DASH, 0, RGB(0, 0, 0));
    CBrush hollow = CBrush::Hollow();
    const CSectionUnits units = Units();
    const std::vector<CBlockCells>& meshed = m_bDCModel ? doc->m_meshShapes.dc : doc->m_meshShapes.ip;
    size_t index = 0;
    for (const CElement& e : *m_pActiveList) {
        const CRect rect = units.BlockRect(e);
        CBrush fill(ValueColour(e.m_value));
        const bool asBackground = e.m_value == m_fBackground;
        if (e.m_bEllipse || e.m_slope != 0) {
            CBrush* oldBrush = pDC->SelectObject(&fill);
            CPen* oldPen = nullptr;
            if (asBackground)
                oldPen = pDC->SelectObject(&outlinePen);
            else
                pDC->SelectStockObject(NULL_PEN, &oldPen);
            if (e.m_bEllipse)
                pDC->Ellipse(rect);
            else
                pDC->Polygon(units.Outline(e).data(), 4);
            pDC->SelectObject(oldPen);
            pDC->SelectObject(oldBrush);
        } else if (pDC->RectVisible(rect)) {
            pDC->FillRect(rect, &fill);
            if (asBackground) {
                CPen* oldPen = pDC->SelectObject(&outlinePen);
                CBrush* oldBrush = pDC->SelectObject(&hollow);
                pDC->Rectangle(rect);
                pDC->SelectObject(oldBrush);
                pDC->SelectObject(oldPen);
            }
        }
        if (doc->m_bDiscretized && index < meshed.size())
            DrawBlockCells(pDC, e, meshed[index]);
        ++index;
    }

    CPen otherPen(PS_DOT, 0, RGB(155, 155, 155));
    CPen* oldPen = pDC->SelectObject(&otherPen);
    CBrush* oldBrush = pDC->SelectObject(&hollow);
    for (const CElement& e : *m_pOtherList) {
        const CRect rect = units.BlockRect(e);
        if (e.m_bEllipse)
            pDC->Ellipse(rect);
        else if (e.m_slope == 0) {
            if (pDC->RectVisible(rect))
                pDC->Rectangle(rect);
        } else {
            pDC->Polygon(units.Outline(e).data(), 4);
        }
    }
    pDC->SelectObject(oldPen);
    pDC->SelectObject(oldBrush);

    // A drag in progress keeps its inverted rubber band across repaints.
    if (m_bTracking) {
        int oldRop = pDC->SetROP2(R2_NOTXORPEN);
        pDC->Rectangle({m_ptAnchor.x, m_ptAnchor.y, m_ptCorner.x, m_ptCorner.y});
        pDC->SetROP2(oldRop);
    }
    if (HasSelection())
        DrawSelection(pDC);

    if (doc->m_bTopography) {
        // The air above the surface the discretization makes, wherever the plot shows.
        const CRect shown = pDC->GetClipBox();
        const CTopographyFile profile = SurfaceProfile(shown.left, shown.right);
        std::vector<CPoint> surface;
        int top = 0;
        for (const double x : profile.x) {
            const int lx = RoundToInt((x - doc->m_coreX1) * m_dScale);
            surface.push_back({lx, SurfaceY(profile, lx)});
            top = std::min(top, surface.back().y);
        }
        CBrush* previous = nullptr;
        pDC->SelectStockObject(LTGRAY_BRUSH, nullptr, &previous);
        pDC->BeginPath();
        pDC->MoveTo(surface.front().x, top);
        for (const CPoint& p : surface)
            pDC->LineTo(p.x, p.y);
        pDC->LineTo(surface.back().x, top);
        pDC->EndPath();
        pDC->FillPath();
        pDC->SelectObject(previous);
    }
    if (doc->m_bDiscretized && !doc->m_meshShapes.surface.empty()) {
        const auto& surface = doc->m_meshShapes.surface;
        const CPoint first = units.Point(surface.front().first, surface.front().second);
        pDC->MoveTo(first.x, first.y);
        for (size_t i = 1; i < surface.size(); ++i) {
            const CPoint p = units.Point(surface[i].first, surface[i].second);
            pDC->LineTo(p.x, p.y);
        }
    }
    if (m_bShowDepthOfInvestigation && doc->m_bForwardDone && doc->m_depthOfInvestigation.size() >= 2)
        DrawDepthOfInvestigation(pDC);
}

void CSectomatView::DrawTopographyPoints(CDC* pDC)
{
    // Squares of the page's size whatever the zoom, as the electrode markers.
    const XFORM xf = SectionToPlot();
    const int h = 45;
    pDC->IntersectClipRect({-h, -h, m_nCoreWidth + h, m_nPlotHeight + h});
    CBrush white(RGB(255, 255, 255));
    CBrush* oldBrush = pDC->SelectObject(&white);
    for (const CPoint& p : TopoPoints()) {
        const CPoint c{RoundToInt(p.x * xf.eM11 + xf.eDx), RoundToInt(p.y * xf.eM22 + xf.eDy)};
        pDC->Rectangle({c.x - h, c.y - h, c.x + h + 1, c.y + h + 1});
    }
    pDC->SelectObject(oldBrush);
    pDC->ResetClip();
}

// The last run's depth of investigation, and below it the part of the model its data hardly see,
// hatched in grey.
void CSectomatView::DrawDepthOfInvestigation(CDC* pDC)
{
    const CSectomatDoc* doc = GetDocument();
    const CSectionUnits units = Units();
    std::vector<CPoint> line;
    for (const auto& [x, z] : doc->m_depthOfInvestigation)
        line.push_back(units.Point(x, z));
    const int bottom = units.Point(doc->m_coreX1, doc->m_coreZ2).y;
    std::vector<CPoint> below = line;
    below.push_back({line.back().x, std::max(bottom, line.back().y)});
    below.push_back({line.front().x, std::max(bottom, line.front().y)});
    CBrush hatch = CBrush::Hatched(RGB(96, 96, 96));
    CBrush* oldBrush = pDC->SelectObject(&hatch);
    CPen* oldPen = nullptr;
    pDC->SelectStockObject(NULL_PEN, &oldPen);
    pDC->Polygon(below.data(), static_cast<int>(below.size()));
    CPen dashed(PS_DASH, 0, RGB(0, 0, 0));
    pDC->SelectObject(&dashed);
    pDC->Polyline(line.data(), static_cast<int>(line.size()));
    pDC->SelectObject(oldPen);
    pDC->SelectObject(oldBrush);
}

void CSectomatView::DrawSelection(CDC* pDC)
{
    if (!HasSelection())
        return;
    const CElement& e = *m_itSelected;
    const CSectionUnits units = Units();
    CPen pen(PS_SOLID, 30, RGB(0, 0, 0));
    int oldRop = pDC->SetROP2(R2_NOTXORPEN);
    CPen* oldPen = pDC->SelectObject(&pen);
    if (e.m_bEllipse)
        pDC->Ellipse(units.BlockRect(e));
    else if (e.m_slope != 0)
        pDC->Polygon(units.Outline(e).data(), 4);
    else
        pDC->Rectangle(units.BlockRect(e));
    pDC->SetROP2(oldRop);
    pDC->SelectObject(oldPen);
}

void CSectomatView::DrawElectrodes(CDC* pDC)
{
    CSectomatDoc* doc = GetDocument();
    // Electrodes stand at section positions, but the markers keep their size in the page's
    // units whatever the zoom and exaggeration: the tip is the surface at x, taken to the page.
    const XFORM xf = SectionToPlot();
    const CTopographyFile profile = SurfaceProfile(0, m_nCoreWidth);
    auto tip = [&](int x) {
        return CPoint{RoundToInt(x * xf.eM11 + xf.eDx), RoundToInt(SurfaceY(profile, x) * xf.eM22 + xf.eDy)};
    };
    auto marker = [&](int x) {
        const CPoint t = tip(x);
        pDC->MoveTo(t.x - 50, t.y - 50);
        pDC->LineTo(t.x, t.y);
        pDC->LineTo(t.x + 50, t.y - 50);
        pDC->MoveTo(t.x, t.y);
        pDC->LineTo(t.x, t.y - 200);
    };
    // Above the plot, below the title, and as wide as the plot with the end markers' arms.
    pDC->IntersectClipRect({-60, -300, m_nCoreWidth + 60, m_nPlotHeight});

    // Every electrode of the survey, a small wedge standing on the surface.
    {
        CBrush black(RGB(0, 0, 0));
        CBrush* oldBrush = pDC->SelectObject(&black);
        for (const double e : SurveyElectrodes()) {
            const CPoint t = tip(RoundToInt((e - doc->m_coreX1) * m_dScale));
            const CPoint wedge[3] = {{t.x - 25, t.y - 70}, {t.x + 25, t.y - 70}, t};
            pDC->Polygon(wedge, 3);
        }
        pDC->SelectObject(oldBrush);
    }

    // The first configurations: A and B bold, M and N joined; a classic dipole's A and B as well.
    PlanShownSurvey();
    if (!m_firstConfigurations.empty()) {
        auto at = [&](double x) { return RoundToInt((x - doc->m_coreX1) * m_dScale); };
        auto join = [&](int from, int to) {
            const CPoint p = tip(from), q = tip(to);
            pDC->MoveTo(p.x, p.y - 200);
            pDC->LineTo(q.x, q.y - 200);
        };
        const CQuadrupole& source = m_firstConfigurations.front();
        const int a = at(source.a), b = at(source.b);
        CPen sourcePen(PS_SOLID, 2, RGB(0, 0, 0));
        CPen* oldPen = pDC->SelectObject(&sourcePen);
        marker(a);
        if (b != a)
            marker(b);
        if (b != a && !IsNumberedArray(doc->m_discretize.array)) {
            const CPoint p = tip(a), q = tip(b);
            pDC->MoveTo(p.x, p.y);
            pDC->LineTo(p.x, p.y - 200);
            pDC->LineTo(q.x, q.y - 200);
            pDC->LineTo(q.x, q.y);
        }
        pDC->SelectObject(oldPen);
        // Neighbouring dipoles share an electrode, marked once.
        std::set<int> marked;
        for (const CQuadrupole& q : m_firstConfigurations)
            for (const int x : {at(q.m), at(q.n)})
                if (marked.insert(x).second)
                    marker(x);
        for (const CQuadrupole& q : m_firstConfigurations)
            if (at(q.n) != at(q.m))
                join(at(q.m), at(q.n));
    }
    pDC->ResetClip();
}

void CSectomatView::DrawAxesAndBar(CDC* pDC)
{
    const CSectomatDoc* doc = GetDocument();
    CDCCanvas canvas(*pDC, pDC->GetWindowExt().cx / 70);
    const QRectF plot(PlotRect().left, PlotRect().top, PlotRect().Width(), PlotRect().Height());
    // The model units of the part of the section shown.
    const QRectF& w = m_zoom.Window();
    const CAxis across{doc->m_coreX1 + w.left() / m_dScale, doc->m_coreX1 + w.right() / m_dScale, "x (m)"};
    const CAxis down{doc->m_coreZ1 + w.top() / m_dScale, doc->m_coreZ1 + w.bottom() / m_dScale, "depth (m)"};
    DrawAxes(canvas, plot, across, down, m_dExaggeration);
    // Beside a low section the bar keeps room for a few labels, reaching into the margin below.
    DrawColourBar(canvas, BarBeside(plot, canvas.FontSize(), m_nPlotHeight + 900), m_colours, m_dMin, m_dMax,
                  {ShownModel(), m_bConductivity, m_bLog10});
}

void CSectomatView::InvalidateMargins()
{
    Invalidate(true);
    CClientDC dc(this);
    dc.SetWorldTransform(XFORM());
    CRect plot = PlotRect();
    dc.LPtoDP(&plot);
    ValidateRect(plot);
}

void CSectomatView::OnEditDCModel()
{
    if (m_bDCModel || !GetDocument())
        return;
    UseModel(EModelKind::dc);
    Invalidate(true);
}

void CSectomatView::OnUpdateEditDCModel(CCmdUI* ui)
{
    ui->SetCheck(m_bDCModel);
}

void CSectomatView::OnEditIPModel()
{
    if (!m_bDCModel || !GetDocument())
        return;
    UseModel(EModelKind::ip);
    Invalidate(true);
}

void CSectomatView::OnUpdateEditIPModel(CCmdUI* ui)
{
    ui->SetCheck(!m_bDCModel);
}

void CSectomatView::OnColourbarLog10()
{
    m_bLog10 = !m_bLog10;
    InvalidateMargins();
}

void CSectomatView::OnUpdateColourbarLog10(CCmdUI* ui)
{
    ui->Enable(m_bDCModel);
    ui->SetCheck(m_bLog10);
}

void CSectomatView::OnColourbarCondRes()
{
    m_bConductivity = !m_bConductivity;
    InvalidateMargins();
}

void CSectomatView::OnUpdateColourbarCondRes(CCmdUI* ui)
{
    ui->Enable(m_bDCModel);
}

void CSectomatView::OnViewData()
{
    Attempt([this] { LaunchProgram(DataViewerCommandLine(*GetDocument(), ShownModel())); });
}

void CSectomatView::OnUpdateViewData(CCmdUI* ui)
{
    const CSectomatDoc* doc = GetDocument();
    ui->Enable(!doc->IsModified() && doc->m_bForwardDone &&
               (m_bDCModel || doc->m_discretize.forward != EForwardType::dc));
}

void CSectomatView::OnViewModel()
{
    // Without a chargeability file from this discretization there is only the conductivity to show.
    const EModelKind kind = GetDocument()->m_discretize.forward == EForwardType::dc ? EModelKind::dc : ShownModel();
    Attempt(
        [this, kind] { LaunchProgram(ModelViewerCommandLine(*GetDocument(), kind, GetDocument()->m_bForwardDone)); });
}

void CSectomatView::OnUpdateViewModel(CCmdUI* ui)
{
    const CSectomatDoc* doc = GetDocument();
    ui->Enable(!doc->IsModified() && doc->m_bDiscretized &&
               (m_bDCModel || doc->m_discretize.forward != EForwardType::dc));
}

void CSectomatView::OnViewSensitivity()
{
    Attempt([this] { LaunchProgram(SensitivityViewerCommandLine(*GetDocument())); });
}

void CSectomatView::OnUpdateViewSensitivity(CCmdUI* ui)
{
    const CSectomatDoc* doc = GetDocument();
    ui->Enable(!doc->IsModified() && doc->m_bForwardDone && HasSensitivities());
}

void CSectomatView::OnViewDepthOfInvestigation()
{
    m_bShowDepthOfInvestigation = !m_bShowDepthOfInvestigation;
    Invalidate();
}

void CSectomatView::OnUpdateViewDepthOfInvestigation(CCmdUI* ui)
{
    const CSectomatDoc* doc = GetDocument();
    ui->Enable(doc->m_bForwardDone && doc->m_depthOfInvestigation.size() >= 2);
    ui->SetCheck(m_bShowDepthOfInvestigation);
}
