// The pictures as a person would see them: drawn offscreen, looked at pixel by pixel.
#include "draw/PainterCanvas.h"
#include "files/ModelSection.h"
#include "files/PseudoSection.h"
#include "model/ColourScale.h"
#include "render/DataPicture.h"
#include "render/ModelPicture.h"
#include "render/PictureFiles.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <cmath>

#include <gtest/gtest.h>

namespace {

const QSize kSize(900, 600);
const QRgb kWhite = qRgb(255, 255, 255);

QRgb Table(int index)
{
    static const auto table = BuildColourTable();
    return ToQColor(table[static_cast<size_t>(index)]).rgb();
}

QRgb PixelAt(const QImage& image, QPointF pixel)
{
    return image.pixel(static_cast<int>(pixel.x()), static_cast<int>(pixel.y())) | 0xFF000000;
}

// The picture of window at kSize, and the colour at a section position in it.
struct Shot {
    Shot(const CPicture& picture, const QRectF& window)
        : image(picture.ToImage(kSize, window)), mapping(picture.Mapping(kSize, window))
    {
    }
    QRgb At(double x, double z) const { return PixelAt(image, mapping.ToPixel({x, z})); }
    QImage image;
    CPlotMapping mapping;
};

class ModelPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // 4 columns (x 0, 10, 20, 30, 40) by 3 rows (depth 0, 5, 10, 20).
        WriteBytes(dir.File("mesh.txt"), "2\r\n0.0 10.0 1\r\n    40.00 3\r\n\r\n2\r\n0.00 10.00 2\r\n    20.00 1\r\n");
        WriteBytes(dir.File("model.con"),
                   "4 3\r\n1e-08 1e-08 0.01 0.01 \r\n0.001 0.01 0.1 1 \r\n0.001 0.001 0.001 0.001 \r\n");
        std::string error;
        picture = Load("model.con");
        ASSERT_TRUE(picture) << error;
    }
    std::unique_ptr<CModelPicture> Load(const std::string& model, EModelKind kind = EModelKind::dc,
                                        bool sensitivity = false, const std::string& doi = "")
    {
        CModelViewerArgs args;
        args.meshPath = dir.File("mesh.txt");
        args.modelPath = dir.File(model);
        args.ip = kind == EModelKind::ip;
        args.sensitivity = sensitivity;
        args.doiPath = doi.empty() ? "" : dir.File(doi);
        std::string error;
        auto loaded = LoadModelPicture(args, error);
        EXPECT_TRUE(loaded) << error;
        return loaded;
    }
    static double X(int column) { return 5 + 10 * column; }
    static double Z(int row) { return row == 2 ? 15 : 2.5 + 5 * row; }

    TempDir dir;
    std::unique_ptr<CModelPicture> picture;
};

TEST_F(ModelPictureTest, EveryCellShowsTheColourOfItsLogConductivityAndAirIsGrey)
{
    const Shot lined(*picture, picture->WholeWindow());
    picture->meshLines = false;
    const Shot shot(*picture, picture->WholeWindow());
    // log10 runs from -3 to 0: 0.001 is the first colour, 1 the last, 0.1 and 0.01 between.
    const QRgb expected[3][4] = {{kAirColour, kAirColour, Table(20), Table(20)},
                                 {Table(0), Table(20), Table(40), Table(60)},
                                 {Table(0), Table(0), Table(0), Table(0)}};
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(shot.At(X(i), Z(k)), expected[k][i]) << "column " << i << ", row " << k;
    // One scale across and down, and the whole mesh fills the plot: its axes end where the mesh does.
    EXPECT_DOUBLE_EQ(shot.mapping.ScaleX(), shot.mapping.ScaleY());
    EXPECT_EQ(shot.mapping.Window(), picture->WholeWindow());
    const QRect plot = shot.mapping.Plot();
    EXPECT_NEAR(shot.mapping.ToPixelX(40), plot.right() + 1, 1);
    EXPECT_NEAR(shot.mapping.ToPixelY(20), plot.bottom() + 1, 1);
    EXPECT_EQ(PixelAt(shot.image, QPointF(plot.center().x(), plot.bottom() - 1)), Table(0));
    // Mesh lines darken the cell boundaries only.
    const QPointF boundary(std::floor(shot.mapping.ToPixelX(20)) + 0.5, shot.mapping.ToPixelY(Z(2)));
    EXPECT_LT(qGray(PixelAt(lined.image, boundary)), qGray(PixelAt(shot.image, boundary)));
    EXPECT_EQ(lined.At(X(1), Z(2)), shot.At(X(1), Z(2)));

    // The colour bar runs from blue upward, and turns over for resistivity.
    const QRect bar = CPlotFrame(kSize, false).BarBeside(plot);
    const QPointF bottom(bar.center().x(), bar.bottom() - 2), top(bar.center().x(), bar.top() + 2);
    EXPECT_EQ(PixelAt(shot.image, bottom), Table(0));
    EXPECT_EQ(PixelAt(shot.image, top), Table(60));
    picture->display.conductivity = false;
    const QImage resistivity = picture->ToImage(kSize, picture->WholeWindow());
    EXPECT_EQ(PixelAt(resistivity, bottom), Table(60));
    EXPECT_EQ(PixelAt(resistivity, top), Table(0));
}

TEST_F(ModelPictureTest, ThePointerDescribesTheCellUnderIt)
{
    EXPECT_EQ(picture->Describe({25, 7}), "x 25, depth 7    column 3 of 4, row 2 of 3: x 20 to 30, depth 5 to 10    "
                                          "conductivity 0.1 S/m, resistivity 10 ohm m");
    EXPECT_TRUE(picture->Describe({5, 1}).ends_with("air"));
    EXPECT_EQ(picture->Describe({50, 1}), "x 50, depth 1");
    // Exactly on the mesh's far edges: the last column and row, never a node past the list.
    EXPECT_TRUE(picture->Describe({40, 20}).starts_with("x 40, depth 20    column 4 of 4, row 3 of 3: x 30 to 40"));
    EXPECT_TRUE(picture->Describe({0, 0}).starts_with("x 0, depth 0    column 1 of 4, row 1 of 3"));
    EXPECT_EQ(picture->Describe({std::nextafter(40.0, 41.0), 20}), "x 40, depth 20");
}

TEST_F(ModelPictureTest, AChargeabilityModelHasGreyAirAtMinusTen)
{
    WriteBytes(dir.File("model.chg"), "4 3\r\n-10 -10 0 0 \r\n0 0.25 0.5 0.5 \r\n0 0 0 0 \r\n");
    auto ip = Load("model.chg", EModelKind::ip);
    ASSERT_TRUE(ip);
    EXPECT_EQ(
        (std::vector<QRgb>{ip->CellColour(0, 0), ip->CellColour(2, 0), ip->CellColour(1, 1), ip->CellColour(3, 1)}),
        (std::vector<QRgb>{kAirColour, Table(0), Table(30), Table(60)}));
    EXPECT_EQ(ip->Title(), "Chargeability Model");
    EXPECT_TRUE(ip->Describe({15, 7}).ends_with("    chargeability 0.25"));
}

TEST_F(ModelPictureTest, SensitivitiesSpanFourDecadesUnderTheirDepthOfInvestigation)
{
    // Cells without sensitivity are grey; below 1e-4 of the largest all take the first colour.
    WriteBytes(dir.File("sens.con"), "4 3\r\n0 0 1 0.1 \r\n0.01 0.001 0.0001 1e-05 \r\n1e-09 0 0 0 \r\n");
    WriteBytes(dir.File("doi.txt"), "! x z depth\r\n5 7.5 7.5\r\n35 7.5 7.5\r\n");
    auto sens = Load("sens.con", EModelKind::dc, true, "doi.txt");
    ASSERT_TRUE(sens);
    EXPECT_EQ(
        (std::vector<QRgb>{sens->CellColour(0, 0), sens->CellColour(2, 0), sens->CellColour(3, 0),
                           sens->CellColour(0, 1), sens->CellColour(1, 1), sens->CellColour(2, 1),
                           sens->CellColour(3, 1), sens->CellColour(0, 2)}),
        (std::vector<QRgb>{kAirColour, Table(60), Table(45), Table(30), Table(15), Table(0), Table(0), Table(0)}));
    EXPECT_EQ(sens->Title(), "Cumulative sensitivity");
    EXPECT_TRUE(sens->Describe({25, 2}).ends_with("sensitivity 1 of the largest"));
    // The line at depth 7.5 runs across the cells, and goes with its toggle.
    sens->meshLines = false;
    EXPECT_NE(Shot(*sens, sens->WholeWindow()).At(15, 7.5), Table(15));
    sens->doiLine = false;
    EXPECT_EQ(Shot(*sens, sens->WholeWindow()).At(15, 7.5), Table(15));

    WriteBytes(dir.File("bad.con"), "4 3\r\n0 0 1 -0.1 \r\n0 0 0 0 \r\n0 0 0 0 \r\n");
    CModelSection section;
    EXPECT_EQ(section.Load(dir.File("mesh.txt"), dir.File("bad.con"), EModelKind::dc, true)
                  .rfind("The sensitivity of the cell in column 4, row 1 is below 0 (-0.1):", 0),
              0u);
}

// Three pole-dipole data with n = 1, 2, 1; the first has the highest apparent resistivity.
class DataPictureTest : public ::testing::Test {
protected:
    void Load(const std::string& topo = "")
    {
        WriteBytes(dir.File("obs_dc.dat"), "! A B M N V/I(ohm) rho_a(ohm m)\r\n0 0  10 20  1 1000\r\n"
                                           "0 0  20 30  1 100\r\n10 10  20 30  1 10\r\n");
        std::string error;
        picture = LoadDataPicture(dir.File("obs_dc.dat"), EModelKind::dc, topo, error);
        ASSERT_TRUE(picture) << error;
    }

    TempDir dir;
    std::unique_ptr<CDataPicture> picture;
};

TEST_F(DataPictureTest, ADatumIsDrawnAtItsMidpointAndPseudoDepthInTheColourOfItsValueAndDescribed)
{
    ASSERT_NO_FATAL_FAILURE(Load());
    const Shot depths(*picture, picture->WholeWindow());
    // Coloured as log conductivity: the most resistive datum is the first colour, the least the last;
    // each cell one electrode spacing wide about the midpoint.
    const double depth = MedianDepth(0, 0, 10, 20);
    EXPECT_EQ(depths.At(7.5, depth), Table(0));
    EXPECT_EQ(depths.At(17.5, depth), Table(60));
    EXPECT_EQ(depths.At(12.5, MedianDepth(0, 0, 20, 30)), Table(30));
    EXPECT_EQ(depths.At(2.5 + 0.2, depth), Table(0));
    EXPECT_EQ(depths.At(2.5 - 0.2, depth), kWhite);
    EXPECT_EQ(picture->Title(), "Apparent Resistivity");
    // The bar reads in resistivity: low ones (pink) at the bottom, as in the main view.
    const CPlotFrame frame(kSize, false);
    EXPECT_EQ(PixelAt(depths.image, QPointF(frame.bar.center().x(), frame.bar.bottom() - 2)), Table(60));
    EXPECT_EQ(picture->Describe({7.5, depth}),
              "A 0  B 0  M 10  N 20    midpoint 7.5, n 1, pseudo-depth 5.19    rho_a 1000 ohm m, V/I 1 ohm");
    EXPECT_EQ(picture->Describe({35, 1}), "x 35, pseudo-depth 1");

    picture->nLevel = true;
    EXPECT_EQ(picture->WholeWindow(), QRectF(QPointF(0, 0.5), QPointF(30, 2.5)));
    const Shot levels(*picture, picture->WholeWindow());
    EXPECT_EQ(levels.At(7.5, 1), Table(0));
    EXPECT_EQ(levels.At(12.5, 2), Table(30));
    EXPECT_EQ(levels.At(22.5, 2), kWhite);
}

TEST_F(DataPictureTest, TheEstimatedErrorIsDrawnInTheDatasCellsOnALogScale)
{
    WriteBytes(dir.File("obs_err.dat"), "! A B M N error_of_V/I(%)\r\n0 0  10 20  10\r\n0 0  20 30  1\r\n"
                                        "10 10  20 30  0.1\r\n");
    ASSERT_NO_FATAL_FAILURE(Load());
    picture->showError = true;
    const double depth = MedianDepth(0, 0, 10, 20);
    const Shot shot(*picture, picture->WholeWindow());
    EXPECT_EQ(shot.At(7.5, depth), Table(60));
    EXPECT_EQ(shot.At(12.5, MedianDepth(0, 0, 20, 30)), Table(30));
    EXPECT_EQ(shot.At(17.5, depth), Table(0));
    const CPlotFrame frame(kSize, false); // the smallest error at the bottom of the bar
    EXPECT_EQ(PixelAt(shot.image, QPointF(frame.bar.center().x(), frame.bar.bottom() - 2)), Table(0));
    EXPECT_EQ(picture->Title(), "Estimated Error of V/I");
    EXPECT_TRUE(
        picture->Describe({7.5, depth}).ends_with("rho_a 1000 ohm m, V/I 1 ohm    estimated error of V/I 10 %"));
    picture->showError = false;
    EXPECT_EQ(Shot(*picture, picture->WholeWindow()).At(7.5, depth), Table(0));
}

TEST_F(DataPictureTest, TheSurfaceIsDrawnAboveTheSection)
{
    WriteBytes(dir.File("topo.txt"), "3  0\r\n-100 0\r\n15 10\r\n100 0\r\n");
    ASSERT_NO_FATAL_FAILURE(Load(dir.File("topo.txt")));
    const CPlotFrame frame(kSize, true);
    ASSERT_FALSE(frame.band.isEmpty());
    const QImage image = picture->ToImage(kSize, picture->WholeWindow());
    // Ground at the bottom of the band, open sky at its top.
    const int x = frame.band.left() + frame.band.width() / 4;
    EXPECT_EQ(PixelAt(image, QPointF(x, frame.band.bottom() - 2)), qRgb(222, 205, 170));
    EXPECT_EQ(PixelAt(image, QPointF(x, frame.band.top() + 1)), kWhite);
}

// Multiple gradient: A 0 B 60 and A 10 B 70 with M N at each place between, each its own colour.
TEST_F(DataPictureTest, GradientDataSitAtTheMidpointOfMNAndEveryDatumShows)
{
    WriteBytes(dir.File("obs_dc.dat"), "0 60 10 20 1 1\n0 60 20 30 1 2.7\n0 60 30 40 1 7.2\n0 60 40 50 1 19\n"
                                       "10 70 20 30 1 52\n10 70 30 40 1 139\n10 70 40 50 1 373\n10 70 50 60 1 1000\n");
    std::string error;
    picture = LoadDataPicture(dir.File("obs_dc.dat"), EModelKind::dc, "", error);
    ASSERT_TRUE(picture) << error;
    // M N 10 to 20: at 15, not the array's midpoint 22.5, and 0.5607 spacings deep by Edwards' integral.
    EXPECT_EQ(picture->Section().cells[0].x, 15);
    EXPECT_NEAR(picture->Section().cells[0].depth, 5.607, 1e-3);
    // M N 30 to 40 lies mirrored in both spreads: one plotting point, the spread further left on the left.
    const double depth = picture->Section().cells[2].depth;
    EXPECT_EQ(std::pair(picture->DatumAt({34, depth}), picture->DatumAt({36, depth})), std::pair(2, 5));
    for (bool nLevel : {false, true}) {
        picture->nLevel = nLevel;
        const Shot shot(*picture, picture->WholeWindow());
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(shot.At(picture->CellRect(i).center().x(), picture->CellRect(i).center().y()),
                      picture->CellColour(i).rgb())
                << i << nLevel;
    }
}

} // namespace
