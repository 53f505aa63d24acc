// The view painted offscreen at a known size, read back pixel by pixel. A core area 1000 by
// 500 model units is 10000 by 5000 logical units; in a 1300 x 700 client area one pixel is 10
// logical units and logical (x, y) lands on pixel ((x + 1000) / 10, (y + 1000) / 10).
#include "app/Resource.h"
#include "document/SectomatDoc.h"
#include "formats/TopographyFile.h"
#include "mesh/Discretize.h"
#include "model/ColourScale.h"
#include "platform/DC.h"
#include "support/TempDir.h"
#include "view/SectomatView.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

QRgb Rgb(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kDarkBlue = qRgb(0, 0, 139);
const QRgb kAir = qRgb(192, 192, 192);

struct Scene {
    CSectomatDoc doc;
    CSectomatView view;

    Scene()
    {
        doc.m_coreX2 = 1000;
        doc.m_coreZ2 = 500;
        doc.m_topo = {CTopoPt(0, 0), CTopoPt(1000, 0)};
        doc.AddView(&view);
        view.resize(1300, 700);
    }

    CElement& Add(CElementList& list, double x1, double z1, double x2, double z2, float value, double slope = 0,
                  bool ellipse = false)
    {
        CElement& e = list.emplace_back(x1, z1, x2, z2, value, slope);
        e.m_bEllipse = ellipse;
        return e;
    }

    void Valley()
    {
        doc.m_topo = {CTopoPt(0, 50), CTopoPt(500, 150), CTopoPt(1000, 50)};
        doc.m_bTopography = true;
    }

    // Re-fits to the document and paints everything.
    const QImage& Paint()
    {
        view.OnInitialUpdate();
        return Repaint();
    }

    const QImage& Repaint()
    {
        view.Invalidate();
        view.UpdateWindow();
        return view.GetBackBuffer();
    }

    // The pixel under a logical point, by the mapping formula.
    QPoint Device(int x, int y) const
    {
        const double k = std::min(view.width() / 13000.0, view.height() / 7000.0);
        return QPoint(int((x + 1000) * k), int((y + 1000) * k));
    }

    QRgb At(int x, int y) const { return view.GetBackBuffer().pixel(Device(x, y)); }

    // How many pixels of the box from (x1, y1) to (x2, y2), in pixels, have the colour c.
    int Count(int x1, int y1, int x2, int y2, QRgb c) const
    {
        int n = 0;
        for (int y = y1; y <= y2; ++y)
            for (int x = x1; x <= x2; ++x)
                n += view.GetBackBuffer().pixel(x, y) == c;
        return n;
    }

    CCmdUI State(unsigned id)
    {
        CCmdUI ui(id);
        view.UpdateCommand(ui);
        return ui;
    }
};

// The 61 bands of the bar from the bottom up, read at their middles: the table in order or reversed.
void ExpectBar(const Scene& s, bool reversed)
{
    const auto table = BuildColourTable();
    for (int k = 0; k <= 60; ++k)
        EXPECT_EQ(s.At(10675, int(5000 - (k + 0.5) * 5000 / 61)), Rgb(table[reversed ? 60 - k : k])) << "band " << k;
}

TEST(ViewDraw, EmptyModelFillsTheCoreWithTheFirstColourAndShowsTheWholeBar)
{
    Scene s;
    s.Paint();
    EXPECT_EQ(std::pair(s.view.m_dMin, s.view.m_dMax), std::pair(-3.0, -3.0));
    for (auto [x, y] : {std::pair{20, 20}, {5000, 2500}, {9980, 4980}})
        EXPECT_EQ(s.At(x, y), kDarkBlue) << x << ", " << y;
    EXPECT_EQ(s.At(-500, 2500), kWhite);
    EXPECT_EQ(s.At(10300, 2500), kWhite); // between the core and the bar
    ExpectBar(s, false);
    // One label, at the middle of the bar: the rows above and below it, under the unit, are blank.
    EXPECT_EQ(s.Count(1190, 92, 1299, 230, kBlack) + s.Count(1190, 370, 1299, 620, kBlack), 0);
    EXPECT_GT(s.Count(1190, 330, 1299, 360, kBlack), 0);
}

TEST(ViewDraw, ElectrodeMarkersOfEachArrayAppearAfterADiscretization)
{
    struct Row {
        int type;
        std::vector<int> markers; // logical x of sources and receivers, a = 1000 logical units
        bool joined;
    } rows[] = {
        // The planner's first configurations of the others are its own tests'.
        {0, {0, 1000, 2000, 3000}, false},
        {1, {0, 1000, 2000, 3000, 4000, 5000}, true},
    };
    for (const Row& row : rows) {
        Scene s;
        s.doc.m_discretize.array = EArray(row.type);
        s.doc.m_discretize.n = 3;
        s.doc.m_discretize.aSpacing = 100;
        s.Paint();
        EXPECT_EQ(s.At(row.markers[0], -100), kWhite) << "before, type " << row.type;

        s.doc.m_bDiscretized = true;
        s.Repaint();
        for (int x = 0; x <= 10000; x += 500) {
            const bool marker = std::find(row.markers.begin(), row.markers.end(), x) != row.markers.end();
            // Stems stand on the top of the core; only the marked positions have one.
            EXPECT_EQ(s.At(x, -100) == kBlack, marker) << "type " << row.type << " at " << x;
        }
        // Dipoles are joined at the top of their stems.
        const int between = (row.markers[2] + row.markers[3]) / 2;
        EXPECT_EQ(s.At(between, -200) == kBlack, row.joined) << "type " << row.type;
    }
}

// The core's top 50 above the datum, the topography short of its ends: the file's surface, flat
// beyond the points and the core, not a slope up to the core's corners.
TEST(ViewDraw, TheGroundIsDrawnWhereTheDiscretizationPutsIt)
{
    TempDir dir;
    CurrentDirGuard cwd(dir.Path());
    Scene s;
    s.doc.m_coreZ1 = -50, s.doc.m_coreZ2 = 450, s.doc.m_bTopography = true;
    s.doc.m_topo = {CTopoPt(150, -0.5), CTopoPt(500, -45), CTopoPt(850, -0.5)};
    RunDiscretization(s.doc);
    const CTopographyFile file = CTopographyFile::Read("topo2d.txt");
    auto depth = [&](double x) { return RoundToInt((50 - file.ElevationAt(x)) * 10); }; // logical y
    s.Paint();
    for (double x : {file.x.front(), -100.0, 0.0, 100.0, 500.0, 900.0, 1100.0, file.x.back()})
        EXPECT_EQ(s.view.ElevationAt(RoundToInt(x * 10)), depth(x)) << x;
    for (int x = 50; x <= 9950; x += 300)
        EXPECT_TRUE(s.At(x, depth(x / 10.0) - 40) == kAir && s.At(x, depth(x / 10.0) + 40) == kDarkBlue) << x;
}

// 101 electrodes, and an n too large, which the discretization lowers but never a repaint.
TEST(ViewDraw, EveryElectrodeOfTheSurveyIsMarkedOnTheSurface)
{
    Scene s;
    s.Valley();
    CDiscretizeSettings& d = s.doc.m_discretize;
    d.n = 60, d.aSpacing = 10, d.array = EArray::wennerSchlumberger;
    s.Paint();
    s.doc.m_bDiscretized = true;
    s.Repaint();
    EXPECT_EQ(d.n, 60);
    // A mark at each, and none between them clear of the first configuration's arrows.
    for (int x = 0; x <= 10000; x += 100) {
        const int y = s.view.ElevationAt(x) - 30;
        EXPECT_TRUE(s.At(x, y) == kBlack && (x < 300 || x == 10000 || s.At(x + 50, y) == kAir)) << x;
    }
    d.aSpacing = 0.001; // refused: nothing marked
    s.Repaint();
    EXPECT_EQ(s.At(5000, s.view.ElevationAt(5000) - 30), kAir);
}

TEST(ViewDraw, SelectionHighlightDrawnTwiceLeavesThePictureUnchanged)
{
    Scene s;
    s.Add(s.doc.m_dcModel, 100, 100, 300, 200, -1);
    s.Add(s.doc.m_dcModel, 500, 100, 700, 300, -2, 0, true);
    s.Add(s.doc.m_dcModel, 100, 300, 300, 400, -1.5, 1);
    const QImage before = s.Paint().copy();
    auto highlight = [&] {
        CClientDC dc(&s.view);
        s.view.DrawSelection(&dc);
    };
    for (auto it = s.doc.m_dcModel.begin(); it != s.doc.m_dcModel.end(); ++it) {
        s.view.m_itSelected = it;
        highlight();
        EXPECT_TRUE(s.view.GetBackBuffer() != before);
        highlight();
        EXPECT_TRUE(s.view.GetBackBuffer() == before);
    }
}

// Core 1000 x 500 drawn 10000 x 5000: the line at depth 200 is at logical 2000.
TEST(ViewDraw, TheDepthOfInvestigationHatchesWhatLiesBelowItAndGoesWithItsToggle)
{
    Scene s;
    s.doc.m_depthOfInvestigation = {{100, 200}, {900, 200}};
    const QRgb hatch = qRgb(96, 96, 96);
    auto below = [&] {
        return s.Count(s.Device(2000, 2500).x(), s.Device(2000, 2500).y(), s.Device(8000, 4800).x(),
                       s.Device(8000, 4800).y(), hatch);
    };
    auto above = [&] {
        return s.Count(s.Device(2000, 200).x(), s.Device(2000, 200).y(), s.Device(8000, 1800).x(),
                       s.Device(8000, 1800).y(), hatch);
    };
    s.Paint();
    EXPECT_EQ(below(), 0); // not forward modelled
    EXPECT_FALSE(s.State(ID_VIEW_DEPTH_OF_INVESTIGATION).m_bEnabled);
    s.doc.m_bForwardDone = true;
    s.Repaint();
    EXPECT_GT(below(), 100);
    EXPECT_EQ(above(), 0);
    // Beside the line's ends nothing is hatched.
    EXPECT_EQ(s.Count(s.Device(100, 2500).x(), s.Device(100, 2500).y(), s.Device(900, 4800).x(),
                      s.Device(900, 4800).y(), hatch),
              0);
    const CCmdUI shown = s.State(ID_VIEW_DEPTH_OF_INVESTIGATION);
    EXPECT_TRUE(shown.m_bEnabled && shown.m_bChecked);
    s.view.ExecuteCommand(ID_VIEW_DEPTH_OF_INVESTIGATION);
    s.Repaint();
    EXPECT_EQ(below(), 0);
}

TEST(ViewDraw, PictureKeepsItsAspectWithTheSpareSpaceRightOrBelow)
{
    Scene s;
    s.Add(s.doc.m_dcModel, 100, 100, 300, 200, -1, 0.5);
    const QImage fitted = s.Paint().copy();
    for (QSize size : {QSize(2600, 700), QSize(1300, 1400)}) {
        s.view.resize(size);
        const QImage& image = s.Repaint();
        EXPECT_TRUE(image.copy(0, 0, 1300, 700) == fitted) << size.width() << " x " << size.height();
        const int spare = size.width() * size.height() - 1300 * 700;
        EXPECT_EQ(s.Count(0, 0, size.width() - 1, size.height() - 1, kWhite) - s.Count(0, 0, 1299, 699, kWhite), spare);
    }
    // A narrower window: the width fills it, k = 1000 / 13000.
    s.view.resize(1000, 700);
    s.Repaint();
    EXPECT_EQ(s.At(9950, 4950), kDarkBlue);
    EXPECT_EQ(s.At(10100, 4950), kWhite);
}

TEST(ViewDraw, ColourBarTogglesRepaintTheMarginsOnlyAndTheModelCommandsSwitchModels)
{
    Scene s;
    s.doc.m_ipBackground = 0.5f;
    s.Add(s.doc.m_dcModel, 100, 100, 300, 200, 0);
    s.Paint();
    // Paint over the core: a margin repaint must leave it alone.
    {
        CClientDC dc(&s.view);
        dc.FillSolidRect(s.view.m_rcCore, RGB(255, 0, 0));
    }
    const QImage before = s.view.GetBackBuffer().copy();
    const QRect labels(1180, 80, 120, 540), core(100, 100, 1000, 500);
    auto toggle = [&](unsigned id) {
        ASSERT_TRUE(s.view.ExecuteCommand(id));
        s.view.UpdateWindow();
        EXPECT_TRUE(s.view.GetBackBuffer().copy(core) == before.copy(core)) << id;
    };

    toggle(ID_COLOURBAR_LOG10);
    EXPECT_TRUE(s.State(ID_COLOURBAR_LOG10).m_bChecked);
    EXPECT_TRUE(s.view.GetBackBuffer().copy(labels) != before.copy(labels));

    toggle(ID_COLOURBAR_COND_RES);
    EXPECT_FALSE(s.view.m_bConductivity);
    EXPECT_FALSE(s.State(ID_COLOURBAR_COND_RES).m_bChecked);
    ExpectBar(s, true);

    // The model already shown: nothing changes, not even the selection.
    s.view.m_itSelected = s.doc.m_dcModel.begin();
    ASSERT_TRUE(s.view.ExecuteCommand(ID_EDIT_DC_MODEL));
    EXPECT_TRUE(s.view.HasSelection());
    ASSERT_TRUE(s.view.ExecuteCommand(ID_EDIT_IP_MODEL));
    EXPECT_EQ(s.view.m_pActiveList, &s.doc.m_ipModel);
    EXPECT_EQ(s.view.m_fBackground, 0.5f);
    EXPECT_FALSE(s.view.HasSelection());
    EXPECT_FALSE(s.State(ID_EDIT_DC_MODEL).m_bChecked);
    EXPECT_TRUE(s.State(ID_EDIT_IP_MODEL).m_bChecked);
    EXPECT_FALSE(s.State(ID_COLOURBAR_LOG10).m_bEnabled);
    EXPECT_FALSE(s.State(ID_COLOURBAR_COND_RES).m_bEnabled);
    EXPECT_FALSE(s.view.ExecuteCommand(ID_COLOURBAR_LOG10));
    EXPECT_TRUE(s.view.m_bLog10);
    s.Repaint();
    EXPECT_EQ(s.At(2000, 1500), kDarkBlue); // the DC block is now an outline only
    ExpectBar(s, false);
}

// Every kind of thing the view draws, discretized, with a block selected and a drag under way.
void FillEverything(Scene& s)
{
    s.Valley();
    s.Add(s.doc.m_dcModel, 100, 200, 300, 300, -1);
    s.Add(s.doc.m_dcModel, 250, 250, 400, 350, 0);
    s.Add(s.doc.m_dcModel, 500, 200, 700, 400, -2, 0, true);
    s.Add(s.doc.m_dcModel, 100, 380, 300, 480, -1.5, 1);
    s.Add(s.doc.m_dcModel, 750, 300, 900, 450, -3);
    s.doc.m_meshShapes.dc = {{{100, 200, 300, 300}, {}, {}},
                             {{260, 250, 400, 340}, {}, {}},
                             {{}, {}, {{520, 220, 680, 380}}},
                             {{}, {{140, 380, 340, 430}, {60, 430, 260, 480}}, {}},
                             {}};
    s.Add(s.doc.m_ipModel, 600, 100, 800, 200, 0.1f);
    s.Add(s.doc.m_ipModel, 350, 380, 450, 480, 0.2f, 0, true);
    s.Add(s.doc.m_ipModel, 800, 380, 950, 480, 0.2f, -0.5);
    s.doc.m_meshShapes.surface = {{0, 50},    {250, 50},  {250, 100}, {500, 100},
                                  {500, 150}, {750, 150}, {750, 50},  {1000, 50}};
    s.doc.m_discretize.array = EArray::dipoleDipole;
    s.doc.m_discretize.n = 3;
    s.doc.m_discretize.aSpacing = 100;
    s.view.OnInitialUpdate();
    s.doc.m_bDiscretized = true; // after the re-fit, which would start the model viewer
    s.view.m_itSelected = s.doc.m_dcModel.begin();
    s.view.m_bTracking = true;
    s.view.m_ptAnchor = {6000, 3000};
    s.view.m_ptCorner = {8000, 4500};
}

TEST(ViewDraw, WholeCoreUnexaggeratedKeepsItsPicture)
{
    Scene s;
    FillEverything(s);
    const QImage& image = s.Repaint();
    // Painted by the view with round ticks, units and the survey's electrodes marked.
    const QImage golden = QImage(VMM_VIEW_TEST_DATA "/whole-core.png").convertToFormat(image.format());
    EXPECT_TRUE(image == golden);
    // And back to it from any zoom and exaggeration.
    s.view.ZoomAt({400, 300}, 8);
    s.view.SetExaggeration(5);
    EXPECT_TRUE(s.Repaint() != golden);
    s.view.SetExaggeration(1);
    s.view.OnViewFit();
    EXPECT_TRUE(s.Repaint() == golden);
}

TEST(ViewDraw, BlocksOutsideTheCoreNeverCoverTheMargins)
{
    for (bool zoomed : {false, true}) {
        Scene s;
        s.Add(s.doc.m_dcModel, 800, 200, 900, 300, -1);
        auto paint = [&] {
            s.view.OnInitialUpdate();
            s.view.OnViewFit();
            if (zoomed)
                s.view.ZoomAt({900, 300}, 4);
            QImage image = s.Repaint().copy();
            QPainter(&image).fillRect(100, 100, 1000, 500, Qt::black); // the plot
            return image;
        };
        const QImage margins = paint();
        s.Add(s.doc.m_dcModel, -300, -100, 100, 50, -2);           // over the corner of the axes
        s.Add(s.doc.m_dcModel, 1050, 100, 1300, 600, -1, 0, true); // wholly right: under the colour bar
        s.Add(s.doc.m_dcModel, 500, 450, 700, 700, -2, 2);         // sheared, out at the bottom
        EXPECT_TRUE(paint() == margins) << (zoomed ? "zoomed" : "whole core");
    }
    Scene s;
    s.Add(s.doc.m_dcModel, -300, -100, 100, 50, -1);
    s.Paint();
    EXPECT_EQ(s.At(500, 250), Rgb(BuildColourTable()[60])); // its part inside the core is drawn
    EXPECT_EQ(s.At(-500, 250), kWhite);
}

} // namespace
