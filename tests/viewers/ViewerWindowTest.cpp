// The viewers' windows, driven as a user would: keys, the wheel, drags, the pointer and File.
#include "ViewerFixtures.h"
#include "platform/TextFormat.h"
#include "render/DataPicture.h"
#include "render/ModelPicture.h"
#include "support/MessageLog.h"
#include "support/ModalDriver.h"
#include "support/TempDir.h"
#include "ui/DataViewerWindow.h"
#include "ui/ModelViewerWindow.h"
#include "ui/PlotWidget.h"
#include "ui/ViewerMain.h"

#include <QImage>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

QPoint Pixel(const CPlotWidget* plot, QPointF position)
{
    const QPointF p = plot->Mapping().ToPixel(position);
    return QPoint(static_cast<int>(p.x()), static_cast<int>(p.y()));
}

bool Covers(const QRectF& outer, const QRectF& inner)
{
    const double e = 1e-9 * outer.width();
    return outer.adjusted(-e, -e, e, e).contains(inner);
}

template <class Window>
void Show(Window& window)
{
    ASSERT_TRUE(window);
    window->resize(1000, 700);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

class ViewerWindows : public ::testing::Test {
protected:
    void OpenModel()
    {
        DiscretizedModel(1);
        CModelViewerArgs args;
        args.meshPath = "mesh2d.txt";
        args.modelPath = "model2d.con";
        window = OpenModelViewer(args);
        ASSERT_NO_FATAL_FAILURE(Show(window));
        plot = window->Plot();
    }

    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
    MessageLog messages;
    std::unique_ptr<CModelViewerWindow> window;
    CPlotWidget* plot = nullptr;
};

TEST_F(ViewerWindows, TheModelViewerOpensOnTheCoreRegionAndFollowsKeysWheelAndDrags)
{
    ASSERT_NO_FATAL_FAILURE(OpenModel());
    const CModelPicture& picture = window->Picture();
    const QRectF core = picture.StartWindow();
    // The uniform cells: the core from 0 to 200 and four cells of 10/3 on each side.
    EXPECT_NEAR(core.left(), -40 / 3.0, 0.01);
    EXPECT_NEAR(core.right(), 200 + 40 / 3.0, 0.01);
    EXPECT_TRUE(Covers(plot->ShownWindow(), core));
    EXPECT_FALSE(Covers(plot->ShownWindow(), picture.WholeWindow()));
    QTest::keyClick(window.get(), Qt::Key_W);
    EXPECT_TRUE(Covers(plot->ShownWindow(), picture.WholeWindow()));
    QTest::keyClick(window.get(), Qt::Key_C);
    EXPECT_EQ(plot->Window(), core);
    QTest::keyClick(window.get(), Qt::Key_M);
    EXPECT_FALSE(picture.meshLines);
    QTest::keyClick(window.get(), Qt::Key_R);
    QTest::keyClick(window.get(), Qt::Key_L);
    EXPECT_EQ(window->Picture().Title(), "Log Resistivity Model");

    // The status bar follows the pointer; the wheel zooms about it, a drag pans.
    QTest::mouseMove(plot, Pixel(plot, {61.5, 15.8})); // in the block of conductivity 0.1
    EXPECT_TRUE(window->StatusText().contains("conductivity 0.1 S/m")) << window->StatusText().toStdString();
    const QPoint at = Pixel(plot, {60, 15});
    const QPointF before = plot->Mapping().ToModel(QPointF(at) + QPointF(0.5, 0.5));
    const double width = plot->ShownWindow().width();
    QWheelEvent wheel(at, plot->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &wheel);
    EXPECT_NEAR(plot->ShownWindow().width(), width / 1.5625, width * 1e-9);
    EXPECT_LT(QLineF(plot->Mapping().ToModel(QPointF(at) + QPointF(0.5, 0.5)), before).length(), 1e-9);

    const QRectF shown = plot->ShownWindow();
    const double scale = plot->Mapping().ScaleX();
    QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(plot, at + QPoint(100, 40));
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, at + QPoint(100, 40));
    EXPECT_NEAR(plot->ShownWindow().left(), shown.left() - 100 / scale, 1e-9);
    EXPECT_NEAR(plot->ShownWindow().top(), shown.top() - 40 / scale, 1e-9);
    QTest::keyClick(window.get(), Qt::Key_Minus);
    EXPECT_NEAR(plot->ShownWindow().width(), shown.width() * 1.25, 1e-9);
    EXPECT_TRUE(messages.Empty());
}

TEST_F(ViewerWindows, SaveImageWritesThePictureAsShown)
{
    ASSERT_NO_FATAL_FAILURE(OpenModel());
    ASSERT_TRUE(window->SaveImage(dir.File("shot.png")));
    const QImage shot(QString::fromStdString(dir.File("shot.png")));
    EXPECT_EQ(shot.size(), plot->size());
    const CModelSection& section = window->Picture().Section();
    EXPECT_EQ(shot.pixel(Pixel(plot, {61.5, 15.8})) | 0xFF000000,
              window->Picture().CellColour(section.ColumnAt(61.5), section.RowAt(15.8)));
    EXPECT_TRUE(messages.Empty());
    EXPECT_FALSE(window->SaveImage(dir.File("missing/shot.png")));
    ASSERT_EQ(messages.Boxes().size(), 1u);
    EXPECT_EQ(messages.Boxes()[0].style & MB_ICONMASK, unsigned(MB_ICONERROR));
}

// The messages themselves are the readers'; here they reach an error box.
TEST_F(ViewerWindows, TheDataViewerSwitchesBetweenPseudoDepthAndLevels)
{
    DiscretizedModel(0, true);
    WriteDataFile("loc2d.txt", "obs_dc.dat", EModelKind::dc, [](double a) { return 100 + a; });
    CDataViewerArgs args;
    args.dataPath = "obs_dc.dat";
    args.topoPath = "topo2d.txt";
    auto window = OpenDataViewer(args);
    ASSERT_NO_FATAL_FAILURE(Show(window));
    CPlotWidget* plot = window->Plot();
    CDataPicture& picture = window->Picture();
    EXPECT_EQ(plot->ShownWindow(), picture.WholeWindow());
    QTest::mouseMove(plot, Pixel(plot, {7.5, MedianDepth(0, 0, 10, 20)}));
    EXPECT_TRUE(window->StatusText().startsWith("A 0  B 0  M 10  N 20 ")) << window->StatusText().toStdString();

    // Zoomed in across, n-level keeps the horizontal zoom and shows every level.
    QTest::keyClick(window.get(), Qt::Key_Plus);
    const QRectF zoomed = plot->ShownWindow();
    QTest::keyClick(window.get(), Qt::Key_N);
    EXPECT_EQ(plot->ShownWindow(), QRectF(QPointF(zoomed.left(), 0.5), QPointF(zoomed.right(), 6.5)));
    QTest::keyClick(window.get(), Qt::Key_D);
    EXPECT_FALSE(picture.nLevel);
    QTest::keyClick(window.get(), Qt::Key_W);
    EXPECT_EQ(plot->ShownWindow(), picture.WholeWindow());
    EXPECT_TRUE(messages.Empty());
}

TEST_F(ViewerWindows, EShowsTheEstimatedErrorWhenItFitsTheDataAndTheStatusBarSaysWhyNot)
{
    DiscretizedModel(0);
    const int count = WriteDataFile("loc2d.txt", "obs_dc.dat", EModelKind::dc, [](double a) { return 100 + a; });
    WriteErrorFile("obs_dc.dat", EModelKind::dc, 0.25);
    CDataViewerArgs args;
    args.dataPath = "obs_dc.dat";
    auto window = OpenDataViewer(args);
    ASSERT_NO_FATAL_FAILURE(Show(window));
    EXPECT_EQ(window->StatusText(), "");
    QTest::keyClick(window.get(), Qt::Key_E);
    EXPECT_EQ(window->Picture().Title(), "Estimated Error of V/I");
    QTest::keyClick(window.get(), Qt::Key_L); // the error's bar has no such toggle
    EXPECT_FALSE(window->Picture().display.log10);
    QTest::mouseMove(window->Plot(), Pixel(window->Plot(), {7.5, MedianDepth(0, 0, 10, 20)}));
    EXPECT_TRUE(window->StatusText().endsWith("estimated error of V/I 0.25 %")) << window->StatusText().toStdString();
    QTest::keyClick(window.get(), Qt::Key_E);
    EXPECT_EQ(window->Picture().Title(), "Apparent Resistivity");

    WriteErrorFile("obs_dc.dat", EModelKind::dc, 0.25, 1);
    window = OpenDataViewer(args);
    ASSERT_NO_FATAL_FAILURE(Show(window));
    EXPECT_EQ(window->StatusText().toStdString(),
              FormatC("The estimated error in obs_err.dat is not shown: it holds %i data, the data file %i.", count - 1,
                      count));
    QTest::keyClick(window.get(), Qt::Key_E);
    EXPECT_EQ(window->Picture().Title(), "Apparent Resistivity");
    EXPECT_TRUE(messages.Empty());
}

} // namespace
