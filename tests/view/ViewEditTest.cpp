// Editing in the running program with the mouse: drawing and reshaping blocks, the context
// menus and the topography. The view is sized so that one pixel is 10 logical units and one
// model unit is 10 logical units (a core 1000 by 500 units).
#include "app/Resource.h"
#include "support/AppFixture.h"
#include "support/ModalDriver.h"
#include "support/ModelDump.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>

#include <functional>
#include <ostream>
#include <vector>

void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

class ViewEditTest : public AppFixture {
protected:
    // An empty model with a core 1000 by 500 and an IP background of 0.25.
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartWith(CrLf({"0 1000 0 500", "0 -3", "0 0.25", "2", "0 0", "1000 0"})));
        view = View();
        Frame()->resize(Frame()->size() + QSize(1300, 700) - view->size());
        ProcessEvents();
        ASSERT_EQ(view->size(), QSize(1300, 700));
        Paint();
    }

    QString Status() const { return Frame()->findChild<QLabel*>("pane0")->text(); }
    // Where the view puts a block.
    CRect Rect(const CElement& e) const { return view->Units().BlockRect(e); }
    std::vector<CPoint> Outline(const CElement& e) const
    {
        const std::array<CPoint, 4> outline = view->Units().Outline(e);
        return {outline.begin(), outline.end()};
    }

    CElement& Add(double x1, double z1, double x2, double z2, float value, double slope = 0, bool ellipse = false)
    {
        CElement& e = Doc()->m_dcModel.emplace_back(x1, z1, x2, z2, value, slope);
        e.m_bEllipse = ellipse;
        view->OnInitialUpdate();
        Paint();
        MarkProcessed();
        return e;
    }

    void Paint()
    {
        view->Invalidate();
        view->UpdateWindow();
    }

    // Results made current and saved, so that an edit shows in every flag.
    void MarkProcessed()
    {
        Doc()->m_bDiscretized = Doc()->m_bForwardDone = true;
        Doc()->SetModifiedFlag(false);
    }

    // Checks that an edit dropped the results and the selection, then marks processed again.
    void ExpectCommitted()
    {
        EXPECT_TRUE(Doc()->IsModified());
        EXPECT_FALSE(Doc()->m_bDiscretized);
        EXPECT_FALSE(Doc()->m_bForwardDone);
        EXPECT_FALSE(view->HasSelection());
        MarkProcessed();
    }

    // The picture a full repaint would give: no trace of any preview.
    void ExpectCleanPicture()
    {
        view->UpdateWindow();
        const QImage shown = view->GetBackBuffer().copy();
        Paint();
        EXPECT_TRUE(shown == view->GetBackBuffer());
    }

    static QPoint Px(int x, int y) { return QPoint((x + 1000) / 10, (y + 1000) / 10); }

    void Press(int x, int y) { QTest::mousePress(view, Qt::LeftButton, {}, Px(x, y)); }
    void Move(int x, int y) { QTest::mouseMove(view, Px(x, y)); }
    void Release(int x, int y) { QTest::mouseRelease(view, Qt::LeftButton, {}, Px(x, y)); }
    void Drag(CPoint from, CPoint to)
    {
        Press(from.x, from.y);
        Move(to.x, to.y);
        Release(to.x, to.y);
    }
    void DoubleClick(int x, int y)
    {
        QTest::mouseDClick(view, Qt::LeftButton, {}, Px(x, y));
        QTest::mouseRelease(view, Qt::LeftButton, {}, Px(x, y));
    }

    // With the button held, the preview at a, then b, then at a again: the same picture as the
    // first time, as each preview erases the one before.
    void ExpectPreviewsErase(CPoint a, CPoint b)
    {
        Move(a.x, a.y);
        const QImage first = view->GetBackBuffer().copy();
        Move(b.x, b.y);
        EXPECT_TRUE(first != view->GetBackBuffer());
        Move(a.x, a.y);
        EXPECT_TRUE(first == view->GetBackBuffer());
    }

    // Right-clicks and chooses item from the menu ("": none), keeping the menu's items; false
    // when no menu showed.
    bool Choose(int x, int y, const QString& item)
    {
        ModalAnswer menu = OnPopup(
            [&](QMenu* m) {
                items.clear();
                for (QAction* a : m->actions())
                    items.emplace_back(a->text(), a->isEnabled());
                if (item.isEmpty())
                    m->close();
                else
                    ClickMenuItem(m, item);
            },
            false);
        QContextMenuEvent event(QContextMenuEvent::Mouse, Px(x, y), view->mapToGlobal(Px(x, y)));
        QApplication::sendEvent(view, &event);
        return menu.Answered();
    }

    // The client pixel over model point (x, z) at the view's exaggeration and zoom, and the
    // model units one pixel spans across and down there.
    QPoint Over(double x, double z) const
    {
        const double k = std::min(1300 / 13000.0, 700.0 / (view->m_nPlotHeight + 2000));
        const double down = view->m_nPlotHeight / 5000.0;
        return QPoint(
            int(std::lround(((x * 10 - view->m_zoom.Window().left()) * view->m_zoom.Zoom() + 1000) * k)),
            int(std::lround(((z * 10 - view->m_zoom.Window().top()) * view->m_zoom.Zoom() * down + 1000) * k)));
    }
    double PixelAcross() const
    {
        return 1 / (std::min(0.1, 700.0 / (view->m_nPlotHeight + 2000)) * view->m_zoom.Zoom() * 10);
    }
    double PixelDown() const { return PixelAcross() * 5000.0 / view->m_nPlotHeight; }

    void Wheel(QPoint at, int notches)
    {
        QWheelEvent wheel(at, view->mapToGlobal(at), {}, {0, notches * 120}, Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
    }

    CSectomatView* view = nullptr;
    using Items = std::vector<std::pair<QString, bool>>; // text, enabled
    Items items;
};

TEST_F(ViewEditTest, DragOpensTheDialogWithTheClippedRectangleAndTheProposedValue)
{
    MarkProcessed();
    ModalAnswer first = OnModal<QDialog>([](QDialog* d) {
        // x1, x2, z1, z2, and the background + 0.5 as a conductivity
        for (auto [id, text] :
             {std::pair{1000, "100"}, {1002, "300"}, {1001, "100"}, {1003, "200"}, {1004, "0.00316228"}})
            EXPECT_EQ(DialogItemText(d, id), text) << id;
        TypeInto(d, 1004, "0.01");
        ClickItem(d, IDOK);
    });
    Press(1000, 1000);
    Move(3000, 2000);
    EXPECT_EQ(Status(), "X: (100, 300),   Z: (100, 200)");
    Release(3000, 2000);
    ASSERT_EQ(Doc()->m_dcModel.size(), 1u);
    const CElement& block = Doc()->m_dcModel.back();
    EXPECT_EQ(block.m_value, -2);
    EXPECT_EQ(Rect(block), (CRect{1000, 1000, 3001, 2001})); // right and bottom take in x2 and z2
    ExpectCommitted();
    ExpectCleanPicture();
    EXPECT_EQ(Status(), " Orvane");

    // Over the first block, from bottom right to top left: the last block's value is proposed,
    // and what the user types is taken unclipped.
    ModalAnswer second = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(DialogItemText(d, 1000), "200");
        EXPECT_EQ(DialogItemText(d, 1004), "0.01");
        TypeInto(d, 1002, "1200");
        ClickItem(d, 1022);
        ClickItem(d, IDOK);
    });
    Drag({4000, 3000}, {2000, 1500});
    ASSERT_EQ(Doc()->m_dcModel.size(), 2u);
    EXPECT_EQ(Doc()->m_dcModel.back().m_x2, 1200);
    EXPECT_TRUE(Doc()->m_dcModel.back().m_bEllipse);
    ExpectCommitted();

    // Past the core the rectangle stops at its edge, the anchor first. Cancelled: nothing made,
    // nothing modified.
    ModalAnswer cancel = OnModal<QDialog>([](QDialog* d) {
        for (auto [id, text] : {std::pair{1000, "0"}, {1002, "600"}, {1001, "0"}, {1003, "100"}})
            EXPECT_EQ(DialogItemText(d, id), text) << id;
        ClickItem(d, IDCANCEL);
    });
    Press(6000, 1000);
    ExpectPreviewsErase({1000, 500}, {-800, -800});
    Move(11500, 5800);
    EXPECT_EQ(Status(), "X: (600, 1000),   Z: (100, 500)");
    Move(-800, -800);
    EXPECT_EQ(Status(), "X: (600, 0),   Z: (100, 0)");
    Release(-800, -800);
    EXPECT_TRUE(cancel.Answered());
    EXPECT_EQ(Doc()->m_dcModel.size(), 2u);
    EXPECT_FALSE(Doc()->IsModified());

    // A click without movement: no dialog at all.
    ModalAnswer none = NoModalExpected();
    Drag({3000, 2000}, {3000, 2000});
    ProcessEvents();
    EXPECT_FALSE(none.Answered());
    EXPECT_EQ(Doc()->m_dcModel.size(), 2u);
}

TEST_F(ViewEditTest, MoveAndSizeFollowThePointerAndCommitOnRelease)
{
    const CElement& block = Add(100, 100, 300, 200, -1); // logical 1000..3001 by 1000..2001, centre (2000, 1500)
    ASSERT_TRUE(Choose(1500, 1200, "move"));
    Press(2000, 1500);
    ExpectPreviewsErase({3000, 2000}, {3500, 2500});
    EXPECT_EQ(Status(), "X: (200, 400.1),   Z: (150, 250.1)");
    Release(3000, 2000);
    EXPECT_DOUBLE_EQ(block.m_x2, 400); // moving keeps the size
    EXPECT_DOUBLE_EQ(block.m_z2, 250);
    EXPECT_EQ(Rect(block), (CRect{2000, 1500, 4001, 2501}));
    ExpectCommitted();
    ExpectCleanPicture();

    // Pushed against the right edge, the block shrinks.
    ASSERT_TRUE(Choose(3000, 2000, "move"));
    Drag({3000, 2000}, {9500, 2000});
    EXPECT_EQ(Rect(block), (CRect{8500, 1500, 10001, 2501}));
    EXPECT_EQ(block.m_x2, 1000);

    // Size keeps the centre (9250, 2000); the pointer is a corner, on either side.
    ASSERT_TRUE(Choose(9000, 2000, "size"));
    Press(9000, 2000);
    ExpectPreviewsErase({9750, 2200}, {9500, 2400});
    Move(8750, 1800);
    EXPECT_EQ(Status(), "X: (975, 875),   Z: (220, 180)");
    Release(8750, 1800);
    EXPECT_EQ(Rect(block), (CRect{8750, 1800, 9751, 2201}));
    EXPECT_EQ(block.m_x1, 875);
    EXPECT_EQ(block.m_z2, 220);
    ExpectCommitted();
    ExpectCleanPicture();
}

TEST_F(ViewEditTest, ShearAndEllipseReshapeTheSelectedBlock)
{
    CElement& block = Add(100, 100, 300, 150, -1); // 50 high, centre (2000, 1250)
    ASSERT_TRUE(Choose(1500, 1200, "shear"));
    Press(2000, 1250);
    ExpectPreviewsErase({2100, 1250}, {2600, 1400});
    EXPECT_FALSE(Status().startsWith("X:"));
    Release(2100, 1250);
    EXPECT_DOUBLE_EQ(block.m_slope, 0.4);
    EXPECT_DOUBLE_EQ(block.m_xTop1, 110);
    EXPECT_EQ(Outline(block), (std::vector<CPoint>{{1100, 1000}, {900, 1501}, {2901, 1501}, {3101, 1000}}));
    ExpectCommitted();
    ExpectCleanPicture();

    // A move carries the sheared corners along.
    ASSERT_TRUE(Choose(2000, 1250, "move"));
    Drag({2000, 1250}, {2000, 1350});
    EXPECT_EQ(Outline(block)[0], (CPoint{1100, 1100}));

    // Ellipse: the pointer is a corner of the rectangle around the centre (2000, 1350).
    ASSERT_TRUE(Choose(2000, 1300, "ellipse"));
    Press(2000, 1350);
    ExpectPreviewsErase({2500, 1600}, {2200, 1500});
    Release(2500, 1600);
    EXPECT_TRUE(block.m_bEllipse);
    EXPECT_EQ(Rect(block), (CRect{1500, 1100, 2501, 1601}));
    EXPECT_EQ(block.m_z2, 160);
    ExpectCommitted();
    ExpectCleanPicture();
}

TEST_F(ViewEditTest, BlockMenuShowsOnlyOverABlockAndPicksTheOneOnTop)
{
    Add(100, 100, 300, 200, -1);
    Add(250, 150, 400, 250, -2);
    Add(500, 100, 700, 300, -2, 0, true);
    Add(100, 300, 300, 400, -1, 1); // sheared: its top edge runs from 1500 to 3500
    auto it = [&](int i) { return std::next(Doc()->m_dcModel.begin(), i); };

    EXPECT_FALSE(Choose(8000, 4000, ""));
    EXPECT_FALSE(Choose(1100, 3100, "")); // inside the sheared block's rectangle only
    EXPECT_FALSE(view->HasSelection());

    EXPECT_TRUE(Choose(2800, 1800, ""));
    EXPECT_EQ(items, (Items{{"move", true},
                            {"size", true},
                            {"properties", true},
                            {"delete", true},
                            {"to back", true},
                            {"copy", true},
                            {"shear", true},
                            {"ellipse", true}}));
    EXPECT_TRUE(view->m_itSelected == it(1)); // kept after the menu closed
    EXPECT_TRUE(Choose(5100, 1100, ""));
    EXPECT_TRUE(view->m_itSelected == it(2));
    EXPECT_TRUE(Choose(3300, 3100, ""));
    EXPECT_TRUE(view->m_itSelected == it(3));
}

TEST_F(ViewEditTest, PropertiesClipToTheCore)
{
    CElement& block = Add(100, 100, 300, 200, -2);
    ModalAnswer dialog = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(DialogItemText(d, 1004), "0.01");
        TypeInto(d, 1000, "-50");
        TypeInto(d, 1003, "900");
        TypeInto(d, 1004, "10");
        ClickItem(d, IDOK);
    });
    ASSERT_TRUE(Choose(1500, 1500, "properties"));
    EXPECT_TRUE(dialog.Answered());
    EXPECT_EQ(block.m_x1, 0);
    EXPECT_EQ(block.m_z2, 500);
    EXPECT_EQ(block.m_value, 1);
    EXPECT_EQ(view->m_dMax, 1);
    ExpectCommitted();
}

TEST_F(ViewEditTest, ToBackDeleteAndCopyToTheOtherModel)
{
    Add(100, 100, 300, 200, -1);
    Add(250, 150, 400, 250, 0);
    Add(500, 100, 700, 300, -2);
    auto xs = [&] {
        std::vector<double> out;
        for (const CElement& e : Doc()->m_dcModel)
            out.push_back(e.m_x1);
        return out;
    };
    ASSERT_TRUE(Choose(6000, 2000, "to back"));
    EXPECT_EQ(xs(), (std::vector<double>{500, 100, 250}));
    ExpectCommitted();

    ASSERT_TRUE(Choose(3500, 2200, "delete"));
    EXPECT_EQ(xs(), (std::vector<double>{500, 100}));
    EXPECT_EQ(view->m_dMax, -1);
    ExpectCommitted();

    // The first copy into the empty IP model gets its background + 0.5, the next the last value.
    ASSERT_TRUE(Choose(6000, 2000, "copy"));
    ASSERT_EQ(Doc()->m_ipModel.size(), 1u);
    EXPECT_EQ(Doc()->m_ipModel.back().m_value, 0.75f);
    ExpectCommitted();
    Doc()->m_ipModel.back().m_value = 0.3f;
    ASSERT_TRUE(Choose(1500, 1500, "copy"));
    EXPECT_EQ(Doc()->m_ipModel.back().m_value, 0.3f);
    EXPECT_EQ(Doc()->m_ipModel.back().m_x1, 100);
}

TEST_F(ViewEditTest, TopographyByDoubleClicksAndItsMenu)
{
    QAction* mode = Frame()->GetCommandAction(ID_EDIT_TOPOGRAPHY);
    DoubleClick(5000, 1000);
    EXPECT_EQ(Doc()->m_topo.size(), 2u); // not in topography mode
    Frame()->UpdateCommandUI();
    mode->trigger();
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(mode->isChecked());
    {
        ModalAnswer none = NoModalExpected();
        Drag({1000, 1000}, {3000, 3000});
        EXPECT_FALSE(none.Answered());
    }
    EXPECT_TRUE(Choose(5000, 1000, ""));
    EXPECT_EQ(items, (Items{{"delete point", false}, {"remove topography", false}}));

    DoubleClick(5000, 1000);
    ASSERT_EQ(Doc()->m_topo.size(), 3u);
    const CTopoPt& middle = *std::next(Doc()->m_topo.begin());
    EXPECT_EQ(view->TopoPoints()[1], (CPoint{5000, 1000}));
    view->UpdateWindow();
    EXPECT_EQ(view->GetBackBuffer().pixel(Px(5000, 500)), qRgb(192, 192, 192));

    // At an existing point's x the point moves; on a discretized model the results go.
    MarkProcessed();
    DoubleClick(5000, 2000);
    ASSERT_EQ(Doc()->m_topo.size(), 3u);
    EXPECT_EQ(middle.m_z, 200);
    ExpectCommitted();

    ASSERT_TRUE(Choose(4800, 1900, "delete point"));
    EXPECT_EQ(Doc()->m_topo.size(), 2u);
    EXPECT_FALSE(Doc()->m_bTopography);
    ExpectCommitted();

    DoubleClick(0, 800); // moves the first point down
    DoubleClick(3000, 1000);
    MarkProcessed();
    ASSERT_TRUE(Choose(3000, 1000, "delete point"));
    EXPECT_TRUE(Doc()->m_bTopography); // one end lies below the core's top
    ExpectCommitted();
    ASSERT_TRUE(Choose(3000, 1000, "remove topography"));
    ASSERT_EQ(Doc()->m_topo.size(), 2u);
    EXPECT_EQ(view->TopoPoints().back(), (CPoint{10000, 0}));
    EXPECT_FALSE(Doc()->m_bTopography);
    ExpectCommitted();
}

// The mode shows in the status bar and marks the profile's points; a clicked point keeps the
// digits the status bar showed there, and one above the core's top says where it went.
TEST_F(ViewEditTest, TopographyModeShowsItselfAndItsPointsAndTakesTheShownPosition)
{
    Doc()->m_coreZ1 = -5.3, Doc()->m_coreZ2 = 494.7; // clicked depths would end in ...964
    Doc()->FlatTopography();
    view->OnInitialUpdate();
    auto* mode = Frame()->findChild<QLabel*>("pane1");
    const QPoint end = Px(10000, 0) + QPoint(-2, 2); // inside the right end's mark
    Paint();
    EXPECT_NE(view->GetBackBuffer().pixel(end), qRgb(255, 255, 255));
    EXPECT_EQ(mode->text(), "");
    Trigger(ID_EDIT_TOPOGRAPHY);
    Paint();
    EXPECT_EQ(view->GetBackBuffer().pixel(end), qRgb(255, 255, 255));
    EXPECT_EQ(mode->text(), "Topography mode: double-click to place a point");

    for (int notches : {0, 10}) { // the status bar shows integers, then one decimal
        SCOPED_TRACE(notches);
        Wheel(Over(300, 60), notches);
        const QPoint at = Over(300.26, 60.26);
        QTest::mouseMove(view, at + QPoint(1, 1));
        QTest::mouseMove(view, at);
        const QStringList shown = Status().split(' ', Qt::SkipEmptyParts); // x 300.3  z 60.3  ...
        ASSERT_GE(shown.size(), 4);
        const double x = shown[1].toDouble(), z = shown[3].toDouble();
        for (int i : {1, 3})
            EXPECT_EQ(shown[i].section('.', 1).size(), notches ? 1 : 0) << shown[i].toStdString();
        QTest::mouseDClick(view, Qt::LeftButton, {}, at);
        QTest::mouseRelease(view, Qt::LeftButton, {}, at);
        auto point =
            std::find_if(Doc()->m_topo.begin(), Doc()->m_topo.end(), [x](const CTopoPt& p) { return p.m_x == x; });
        ASSERT_NE(point, Doc()->m_topo.end());
        EXPECT_EQ(point->m_z, z);
        EXPECT_EQ(mode->text(), "Topography mode: double-click to place a point");
    }
    Trigger(ID_VIEW_FIT);
    DoubleClick(2000, -300);
    EXPECT_EQ(std::next(Doc()->m_topo.begin())->m_z, -5.3);
    EXPECT_EQ(mode->text(), "Topography mode: above the core, so the point went to its top (depth -5.3); Model "
                            "Properties can raise the top.");
    Trigger(ID_EDIT_TOPOGRAPHY);
    EXPECT_EQ(mode->text(), "");
}

TEST_F(ViewEditTest, EveryEditIsUndoneAndRedoneWhole)
{
    // Two DC blocks over a valley of 30 at x = 800.
    WriteBytes(dir.File("undo"), CrLf({"0 1000 0 500", "2 -3", "100 300 100 200 -1 0 0", "500 700 100 300 -2 0 0",
                                       "0 0.25", "3", "0 0", "800 30", "1000 0"}));
    ASSERT_TRUE(Doc()->ReadModel(dir.File("undo")));
    // The keys, as pressed in the main window; offscreen, nothing activates it after a dialog.
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        Frame()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
        QTest::keyClick(Frame(), key, modifiers);
    };
    auto answer = [](std::vector<Step> steps) {
        steps.push_back({IDOK});
        return OnModal<QDialog>([steps](QDialog* d) { Do(d, steps); });
    };
    const struct {
        const char* name;
        std::function<void()> edit;
    } rows[] = {
        {"drawn block",
         [&] {
             ModalAnswer a = answer({});
             Drag({1000, 3500}, {3000, 4500});
         }},
        {"moved block",
         [&] {
             ASSERT_TRUE(Choose(1500, 1500, "move"));
             Drag({2000, 1500}, {2500, 1500});
         }},
        {"sized block",
         [&] {
             ASSERT_TRUE(Choose(2500, 1500, "size"));
             Drag({2500, 1500}, {3000, 1800});
         }},
        {"sheared block",
         [&] {
             ASSERT_TRUE(Choose(6000, 2000, "shear"));
             Drag({6000, 2000}, {6500, 2000});
         }},
        {"ellipse",
         [&] {
             ASSERT_TRUE(Choose(2500, 1500, "ellipse"));
             Drag({2500, 1500}, {2800, 1700});
         }},
        {"block properties",
         [&] {
             ModalAnswer a = answer({{1004, "0.5"}});
             ASSERT_TRUE(Choose(2000, 4000, "properties"));
         }},
        {"block to back", [&] { ASSERT_TRUE(Choose(2000, 4000, "to back")); }},
        {"block copied", [&] { ASSERT_TRUE(Choose(2000, 4000, "copy")); }},
        {"block deleted", [&] { ASSERT_TRUE(Choose(2000, 4000, "delete")); }},
        {"topography point added",
         [&] {
             Trigger(ID_EDIT_TOPOGRAPHY);
             DoubleClick(5000, 1000);
         }},
        {"topography point moved", [&] { DoubleClick(5000, 2000); }},
        {"topography point deleted", [&] { ASSERT_TRUE(Choose(5000, 2000, "delete point")); }},
        {"topography removed", [&] { ASSERT_TRUE(Choose(5000, 2000, "remove topography")); }},
        {"model properties",
         [&] {
             ModalAnswer a = answer({{1002, "1200"}, {1001, "-20"}});
             Trigger(ID_EDIT_MODEL_PROPERTIES);
         }},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        ASSERT_TRUE(Doc()->DoSave(dir.File("saved")));
        const std::string before = Dump(*Doc());
        rows[i].edit();
        const std::string after = Dump(*Doc());
        EXPECT_NE(after, before);
        EXPECT_TRUE(Doc()->IsModified() && Enabled(ID_EDIT_UNDO) && !Enabled(ID_EDIT_REDO));

        Doc()->m_bDiscretized = Doc()->m_bForwardDone = true;
        press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Dump(*Doc()), before);
        EXPECT_FALSE(Doc()->IsModified() || Doc()->m_bDiscretized || Doc()->m_bForwardDone || !Enabled(ID_EDIT_REDO));
        press(i % 2 ? Qt::Key_Y : Qt::Key_Z, i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(Dump(*Doc()), after);
        EXPECT_TRUE(Doc()->IsModified() && !Enabled(ID_EDIT_REDO));
    }
    // The new frame keeps the blocks, drawn to its scale, and a flat surface follows its top.
    EXPECT_EQ(Rect(Doc()->m_dcModel.front()), (CRect{1833, 1250, 2334, 1584}));
    EXPECT_EQ(Doc()->m_topo.front().m_z, -20);

    // Saved, undone and edited anew: redoing the new edit does not lead back to the file.
    DoubleClick(3000, 1000);
    ASSERT_TRUE(Doc()->DoSave(dir.File("saved")));
    press(Qt::Key_Z, Qt::ControlModifier);
    DoubleClick(7000, 1000);
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(Doc()->IsModified());

    // A new model starts a history of its own, on the frame of the model before.
    log.Answer(IDNO);
    ModalAnswer fresh = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(DialogItemText(d, 1001), "-20");
        EXPECT_EQ(DialogItemText(d, 1002), "1200");
        ClickItem(d, IDOK);
    });
    Trigger(ID_FILE_NEW);
    EXPECT_FALSE(Enabled(ID_EDIT_UNDO) || Enabled(ID_EDIT_REDO));
}

TEST_F(ViewEditTest, EscapeLeavesAPendingOperationAndNoMenuOpensOverOne)
{
    Add(100, 100, 300, 200, -1);
    const std::string before = Dump(*Doc());
    for (const char* operation : {"move", "size", "shear", "ellipse"}) {
        SCOPED_TRACE(operation);
        ASSERT_TRUE(Choose(1500, 1500, operation));
        EXPECT_FALSE(Choose(1500, 1500, "move"));
        Press(2000, 1500);
        Move(2600, 1800);
        QTest::keyClick(view, Qt::Key_Escape);
        ExpectCleanPicture();
        EXPECT_EQ(Status(), " Orvane");
        Release(2600, 1800);
        EXPECT_EQ(Dump(*Doc()), before);
        EXPECT_FALSE(Doc()->IsModified());
    }
}

TEST_F(ViewEditTest, StatusBarReadsThePlaceAndTheValueUnderThePointer)
{
    Add(100, 100, 300, 200, -2);
    Add(500, 100, 700, 300, -1, 0, true);
    struct Row {
        const char* what;
        unsigned toggle; // before moving there; 0: none
        CPoint at;       // logical
        const char* text;
    } rows[] = {
        {"conductivity", 0, {1500, 1500}, "x 150  z 150  cond 0.01"},
        {"log10 conductivity", ID_COLOURBAR_LOG10, {1500, 1500}, "x 150  z 150  log10 cond -2"},
        {"log10 resistivity", ID_COLOURBAR_COND_RES, {1500, 1500}, "x 150  z 150  log10 res 2"},
        {"resistivity", ID_COLOURBAR_LOG10, {1500, 1500}, "x 150  z 150  res 100"},
        {"in an ellipse's corner", 0, {5100, 1100}, "x 510  z 110  res 1e+03"},
        {"in the ellipse", 0, {6000, 2000}, "x 600  z 200  res 10"},
        {"chargeability", ID_EDIT_IP_MODEL, {6000, 2000}, "x 600  z 200  chargeability 0.25"},
        {"a margin", 0, {-500, 2000}, " Orvane"},
    };
    for (const Row& row : rows) {
        if (row.toggle)
            Trigger(row.toggle);
        Move(row.at.x + 10, row.at.y); // a move to where the pointer is sends nothing
        Move(row.at.x, row.at.y);
        EXPECT_EQ(Status(), row.text) << row.what;
    }
    Doc()->m_topo = {CTopoPt(0, 50), CTopoPt(1000, 50)};
    Doc()->m_bTopography = true;
    Move(4000, 410);
    Move(4000, 400);
    EXPECT_EQ(Status(), "x 400  z 40  air");
}

TEST_F(ViewEditTest, ExaggeratedAndZoomedEditsTakeTheModelPointsUnderThePointer)
{
    Add(400, 20, 460, 40, -1);
    Trigger(ID_VIEW_EXAGGERATION_5);
    EXPECT_EQ(view->m_nPlotHeight, 25000);
    // The wheel zooms about the pointer: the place under it stays.
    const QPoint anchor = Over(430, 30);
    auto place = [&](QPoint at) {
        QTest::mouseMove(view, at + QPoint(1, 1));
        QTest::mouseMove(view, at);
        double x = 0, z = 0;
        EXPECT_EQ(std::sscanf(Status().toUtf8().constData(), "x %lf  z %lf", &x, &z), 2) << Status().toStdString();
        return std::pair(x, z);
    };
    const auto before = place(anchor);
    const double across = PixelAcross(), down = PixelDown();
    Wheel(anchor, 6);
    EXPECT_NEAR(view->m_zoom.Zoom(), std::pow(1.25, 6), 1e-9);
    const auto zoomed = place(anchor);
    EXPECT_NEAR(zoomed.first, before.first, across);
    EXPECT_NEAR(zoomed.second, before.second, down);

    // Picking, drawing and reshaping work in model units whatever the screen's scale.
    ModalAnswer menu = OnPopup([](QMenu* m) { ClickMenuItem(m, "delete"); });
    QContextMenuEvent event(QContextMenuEvent::Mouse, Over(450, 38), view->mapToGlobal(Over(450, 38)));
    QApplication::sendEvent(view, &event);
    EXPECT_TRUE(menu.Answered());
    EXPECT_TRUE(Doc()->m_dcModel.empty());

    double got[4] = {};
    ModalAnswer dialog = OnModal<QDialog>([&](QDialog* d) {
        for (int i = 0; i < 4; ++i)
            got[i] = DialogItemText(d, 1000 + i).toDouble();
        ClickItem(d, IDOK);
    });
    QTest::mousePress(view, Qt::LeftButton, {}, Over(415, 22));
    QTest::mouseMove(view, Over(445.5, 37.5));
    QTest::mouseRelease(view, Qt::LeftButton, {}, Over(445.5, 37.5));
    ASSERT_TRUE(dialog.Answered());
    EXPECT_NEAR(got[0], 415, PixelAcross()); // x1, z1, x2, z2
    EXPECT_NEAR(got[1], 22, PixelDown());
    EXPECT_NEAR(got[2], 445.5, PixelAcross());
    EXPECT_NEAR(got[3], 37.5, PixelDown());
    ASSERT_EQ(Doc()->m_dcModel.size(), 1u);
    EXPECT_EQ(Doc()->m_dcModel.back().m_x1, got[0]);

    // A middle-button drag pans: the section follows the pointer.
    QTest::mousePress(view, Qt::MiddleButton, {}, anchor);
    QTest::mouseMove(view, anchor + QPoint(40, 60));
    QTest::mouseRelease(view, Qt::MiddleButton, {}, anchor + QPoint(40, 60));
    const auto panned = place(anchor + QPoint(40, 60));
    EXPECT_NEAR(panned.first, zoomed.first, PixelAcross());
    EXPECT_NEAR(panned.second, zoomed.second, PixelDown());

    // A topography point goes where the double-click is.
    Trigger(ID_EDIT_TOPOGRAPHY);
    QTest::mouseDClick(view, Qt::LeftButton, {}, Over(420, 25));
    QTest::mouseRelease(view, Qt::LeftButton, {}, Over(420, 25));
    ASSERT_EQ(Doc()->m_topo.size(), 3u);
    EXPECT_NEAR(std::next(Doc()->m_topo.begin())->m_x, 420, PixelAcross());
    EXPECT_NEAR(std::next(Doc()->m_topo.begin())->m_z, 25, PixelDown());

    Trigger(ID_VIEW_FIT);
    EXPECT_EQ(view->m_zoom.Zoom(), 1);
    EXPECT_EQ(Over(1000, 500), QPoint(285, 674)); // the whole core, five times as deep as wide per unit
    // Zooming out stops there.
    Wheel(anchor, 3);
    Wheel(anchor, -6);
    EXPECT_EQ(view->m_zoom.Zoom(), 1);
    EXPECT_EQ(Over(1000, 500), QPoint(285, 674));
}

TEST_F(ViewEditTest, ExaggerationTypedInItsDialog)
{
    ModalAnswer refused = OnModal<QDialog>([](QDialog* d) {
        TypeInto(d, 1000, "0");
        ClickItem(d, IDOK);
        TypeInto(d, 1000, "2.5");
        ClickItem(d, IDOK);
    });
    Trigger(ID_VIEW_EXAGGERATION_OTHER);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Exaggeration should be between 0.1 and 100."});
    EXPECT_EQ(view->m_dExaggeration, 2.5);
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->GetCommandAction(ID_VIEW_EXAGGERATION_OTHER)->isChecked());
    EXPECT_FALSE(Frame()->GetCommandAction(ID_VIEW_EXAGGERATION_1)->isChecked());
}

} // namespace
