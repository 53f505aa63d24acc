#pragma once

#include "draw/PanZoom.h"
#include "formats/LocationsFile.h"
#include "formats/TopographyFile.h"
#include "mesh/Rasterise.h"
#include "model/ModelData.h"
#include "platform/Colour.h"
#include "platform/DC.h"
#include "platform/Numbers.h"
#include "platform/View.h"
#include "view/SectionGeometry.h"

#include <array>
#include <string>
#include <vector>

class CSectomatDoc;

// The window in which the vertical section is drawn and edited. Blocks, topography and every
// edit are in the section's logical units: the core area is 10000 units wide with its top-left
// corner at (0, 0), depth downward, at the same scale both ways. The page around them has the
// plot, the core's place on the screen, 10000 units wide and the core's height times the
// vertical exaggeration high, with margins of 1000 units left, above and below it and 2000 right
// of it for the colour bar. A world transform takes the section's units into the plot, stretched
// by the exaggeration and by the zoom; at exaggeration 1 without zoom it is the identity.
class CSectomatView : public CView {
public:
    explicit CSectomatView(QWidget* parent = nullptr);

    CSectomatDoc* GetDocument() const;

    // Maps the page, then narrows drawing to the plot and takes the section's units into it.
    void OnPrepareDC(CDC* pDC) override;
    // Re-fits the view to the document; after a successful discretization it also opens the
    // model viewer on the new files.
    // The first drawing of a model just opened: a discretization recognised in its folder does not
    // start the model viewer, as one just made does.
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, long hint, void* hintObject) override;

    // A logical point moved into the core area.
    CPoint ClampToCore(CPoint pt) const;
    // The section's logical units of the document's core area.
    CSectionUnits Units() const;
    // The topography's points in logical units; a flat surface's ends on the core's top corners.
    std::vector<CPoint> TopoPoints() const;

    // The value range of the shown model, and the colour of a value in it.
    void RecomputeRange();
    COLORREF ValueColour(double v) const;

    // Draws, or draws again to remove, the thick inverted outline of the selected block.
    void DrawSelection(CDC* pDC);
    // The surface's logical y at logical x: the discretization's, flat beyond the topography's
    // ends; 0 (the core's top) without topography.
    int ElevationAt(int x) const;
    // The model x of every electrode of the discretization's survey, increasing; none when the
    // plan is refused.
    const std::vector<double>& SurveyElectrodes();

    void OnEditDCModel();
    void OnUpdateEditDCModel(CCmdUI* ui);
    void OnEditIPModel();
    void OnUpdateEditIPModel(CCmdUI* ui);
    void OnColourbarLog10();
    void OnUpdateColourbarLog10(CCmdUI* ui);
    void OnColourbarCondRes();
    void OnUpdateColourbarCondRes(CCmdUI* ui);

    // View > Data and View > Model: the external viewers on the results of the model shown.
    void OnViewData();
    void OnUpdateViewData(CCmdUI* ui);
    void OnViewModel();
    void OnUpdateViewModel(CCmdUI* ui);
    void OnViewSensitivity();
    void OnUpdateViewSensitivity(CCmdUI* ui);
    void OnViewDepthOfInvestigation();
    void OnUpdateViewDepthOfInvestigation(CCmdUI* ui);
    void DrawDepthOfInvestigation(CDC* pDC);

    // View > Vertical exaggeration and View > Fit.
    void OnViewExaggeration(unsigned id);
    void OnUpdateViewExaggeration(CCmdUI* ui);
    void OnViewFit();
    void OnUpdateViewFit(CCmdUI* ui);
    // Stretches depths by e (kept between the dialog's limits), keeping the part of the section shown.
    void SetExaggeration(double e);
    // Magnifies by factor (the zoom stays between 1, the whole core, and kMaxZoom) keeping the
    // section point under the client pixel where it is.
    void ZoomAt(CPoint pixel, double factor);
    static constexpr double kMaxZoom = 64;

    // The section's units to the page's, and the plot in the page's units.
    XFORM SectionToPlot() const;
    CRect PlotRect() const { return {0, 0, m_nCoreWidth, m_nPlotHeight}; }
    // What lies under a client pixel: "x 12  z 3  log10 cond -2", or "" outside the plot.
    std::string Readout(CPoint pixel) const;

    bool HasSelection() const { return m_pActiveList && m_itSelected != m_pActiveList->end(); }

    // Mouse editing: a drag draws a new block, the pending block operations follow the pointer.
    void OnLButtonDown(unsigned flags, CPoint point) override;
    void OnMouseMove(unsigned flags, CPoint point) override;
    void OnLButtonUp(unsigned flags, CPoint point) override;
    // Topography mode: adds a point, or moves the one at the same x.
    void OnLButtonDblClk(unsigned flags, CPoint point) override;
    // The block menu over a block, or the topography menu in topography mode.
    void OnContextMenu(CPoint screen) override;
    // Escape drops a drag or a pending block operation, changing nothing.
    void OnKeyDown(unsigned key) override;

    void OnBlockMove();
    void OnBlockSize();
    void OnBlockShear();
    void OnBlockEllipse();
    void OnBlockProperties();
    void OnBlockDelete();
    void OnBlockToBack();
    void OnBlockCopy();
    void OnEditTopography();
    void OnUpdateEditTopography(CCmdUI* ui);
    void OnTopoDeletePoint();
    void OnTopoRemove();

    bool m_bDCModel = true; // the DC model is shown and edited, otherwise the IP model
    bool m_bShowDepthOfInvestigation = true;
    bool m_bConductivity = true; // DC labels as conductivity, otherwise resistivity
    bool m_bLog10 = false;       // DC labels as log10 values
    float m_fBackground = 0;
    CElementList* m_pActiveList = nullptr;
    CElementList* m_pOtherList = nullptr;
    CElementList::iterator m_itSelected; // the active list's end: none
    CPoint m_ptAnchor;
    CPoint m_ptCorner;
    CRect m_rcCore;
    int m_nCoreWidth = kCoreLogicalWidth;
    int m_nCoreHeight = 0;
    double m_dScale = 1;
    bool m_bTopoMode = false;
    CTopoList::iterator m_itNearestTopo;
    bool m_bTracking = false;
    bool m_bFirstDrag = false;
    // A block operation chosen from the context menu, waiting for the pointer.
    enum class PendingOp { none, move, size, shear, ellipse };
    PendingOp m_pending = PendingOp::none;
    double m_dMin = 0;
    double m_dMax = 0;
    std::array<COLORREF, 61> m_colours;
    double m_dExaggeration = 1;
    // The part of the core shown, in the section's units: at zoom 1 the whole core.
    CPanZoom m_zoom{1, kMaxZoom, true};
    int m_nPlotHeight = 0; // the core's height times the exaggeration

protected:
    void OnDraw(CDC* pDC) override;
    // The wheel zooms, a middle-button drag pans; the pointer's place goes to the status bar.
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Every committed edit: the document is modified, its results out of date, and the whole
    // picture is drawn again without a selection.
    void FinishEdit();
    void StartPending(PendingOp op);
    // Leaves any drag or pending block operation; the caller repaints to remove its preview.
    void EndTracking();
    CPoint ToLogical(CDC& dc, CPoint point) const;
    void ShowExtent();
    void DrawSheared(CDC& dc, CPoint a, CPoint b, int offset);
    void DrawBlockShape(CDC& dc, const CElement& block, CPoint a, CPoint b);

    // What the last preview drew, so that drawing it again erases it.
    CPoint m_ptPrevious1;
    CPoint m_ptPrevious2;
    int m_nPreviousShear = 0;

    // The page's pixels per unit, as the isotropic mapping gives them.
    double PageScale() const;
    bool OperationRuns() const { return m_bTracking; }
    double m_lastCore[4] = {0, 0, 0, 0}; // x1, x2, z1, z2 at the last re-fit

    // The discretization's surface profile (model units) reaching over logical x from left to
    // right at least, and its logical y at logical x.
    CTopographyFile SurfaceProfile(int left, int right) const;
    int SurfaceY(const CTopographyFile& profile, int x) const;
    // The survey last planned and what for: a large survey is costly to plan at every repaint.
    // Its first configurations are those its markers show: a classic array's first transmitter
    // (the one on the core's right edge for pole-dipole left) with all its receivers, a numbered
    // array's first configuration.
    std::vector<double> m_electrodes;
    std::vector<CQuadrupole> m_firstConfigurations;
    std::string m_surveyKey;
    void PlanShownSurvey();

    void UseModel(EModelKind kind);
    EModelKind ShownModel() const { return m_bDCModel ? EModelKind::dc : EModelKind::ip; }
    void DrawModelBody(CDC* pDC);
    // The cells the discretization gave the block: its snapped rectangle, its rows, or the cells
    // along its ellipse.
    void DrawBlockCells(CDC* pDC, const CElement& e, const CBlockCells& cells);
    void DrawElectrodes(CDC* pDC);
    // The axes round the plot and the colour bar beside it, in the page's units.
    void DrawAxesAndBar(CDC* pDC);
    // Marks every point of the topography profile, in the page's units.
    void DrawTopographyPoints(CDC* pDC);
    // Decimals of a model position that the status bar shows at the view's resolution.
    int ShownDecimals(bool down) const;
    void ShowTopographyMode(const std::string& news = "");
    // Repaints the axes, the colour bar and the title, not the model.
    void InvalidateMargins();
};
