// The pictures as a person would see them: drawn offscreen, looked at pixel by pixel.
#include "files/ModelSection.h"
#include "files/PseudoSection.h"
#include "render/DataPicture.h"
#include "render/ModelPicture.h"
#include "render/PictureFiles.h"
#include "support/TempDir.h"
#include "view/ColourScale.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const QSize kSize(900, 600);

QRgb Table(int index)
{
    static const auto table = BuildColourTable();
    return ToQColor(table[static_cast<size_t>(index)]).rgb();
}

QRgb PixelAt(const QImage& image, QPointF pixel)
{
    return image.pixel(static_cast<int>(pixel.x()), static_cast<int>(pixel.y())) | 0xFF000000;
}

// 4 columns (x 0, 10, 20, 30, 40) by 3 rows (depth 0, 5, 10, 20).
const char* const kMesh = "2\r\n0.0 10.0 1\r\n    40.00 3\r\n\r\n2\r\n0.00 10.00 2\r\n    20.00 1\r\n";
const char* const kConductivity = "4 3\r\n1e-08 1e-08 0.01 0.01 \r\n0.001 0.01 0.1 1 \r\n0.001 0.001 0.001 0.001 \r\n";

class ModelPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(dir.File("mesh.txt"), kMesh);
        WriteBytes(dir.File("model.con"), kConductivity);
        std::string error;
        picture = LoadModelPicture(dir.File("mesh.txt"), dir.File("model.con"), false, error);
        ASSERT_TRUE(picture) << error;
    }
    QPointF CellCentre(const CPlotMapping& mapping, int column, int row) const
    {
        const auto& x = picture->Section().mesh.xNodes;
        const auto& z = picture->Section().mesh.zNodes;
        return mapping.ToPixel({(x[column] + x[column + 1]) / 2, (z[row] + z[row + 1]) / 2});
    }

    TempDir dir;
    std::unique_ptr<CModelPicture> picture;
};

TEST_F(ModelPictureTest, EveryCellShowsTheColourOfItsLogConductivityAndAirIsGrey)
{
    picture->meshLines = false;
    const QRectF window = picture->WholeWindow();
    const QImage image = picture->ToImage(kSize, window);
    const CPlotMapping mapping = picture->Mapping(kSize, window);
    // log10 runs from -3 to 0: 0.001 is the first colour, 1 the last, 0.1 and 0.01 between.
    const QRgb expected[3][4] = {{kAirColour, kAirColour, Table(20), Table(20)},
                                 {Table(0), Table(20), Table(40), Table(60)},
                                 {Table(0), Table(0), Table(0), Table(0)}};
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(PixelAt(image, CellCentre(mapping, i, k)), expected[k][i]) << "column " << i << ", row " << k;
    EXPECT_EQ(Table(0), qRgb(0, 0, 139));
    EXPECT_EQ(kAirColour, qRgb(192, 192, 192));

    // Depth grows downward and x to the right, at one scale, the whole mesh inside the plot.
    EXPECT_DOUBLE_EQ(mapping.ScaleX(), mapping.ScaleY());
    EXPECT_LT(CellCentre(mapping, 0, 0).x(), CellCentre(mapping, 3, 0).x());
    EXPECT_LT(CellCentre(mapping, 0, 0).y(), CellCentre(mapping, 0, 2).y());
    EXPECT_TRUE(QRectF(mapping.Plot()).contains(mapping.ToPixel({0, 0})));
    EXPECT_TRUE(QRectF(mapping.Plot()).contains(mapping.ToPixel({40, 20}) - QPointF(0.5, 0.5)));
    // Below the mesh, within the plot, lies nothing.
    EXPECT_EQ(PixelAt(image, mapping.ToPixel({20, 20}) + QPointF(0, 3)), qRgb(255, 255, 255));
}

TEST_F(ModelPictureTest, MeshLinesDarkenTheCellBoundariesOnly)
{
    const QRectF window = picture->WholeWindow();
    const CPlotMapping mapping = picture->Mapping(kSize, window);
    const QImage with = picture->ToImage(kSize, window);
    picture->meshLines = false;
    const QImage without = picture->ToImage(kSize, window);
    const QPointF boundary(std::floor(mapping.ToPixelX(20)) + 0.5, CellCentre(mapping, 0, 2).y());
    EXPECT_LT(qGray(PixelAt(with, boundary)), qGray(PixelAt(without, boundary)));
    EXPECT_EQ(PixelAt(with, CellCentre(mapping, 1, 2)), PixelAt(without, CellCentre(mapping, 1, 2)));
}

TEST_F(ModelPictureTest, TheColourBarRunsFromBlueUpwardAndTurnsOverForResistivity)
{
    const CPlotFrame frame(kSize, false);
    const QPointF bottom(frame.bar.center().x(), frame.bar.bottom() - 2), top(frame.bar.center().x(), frame.bar.top() + 2);
    QImage image = picture->ToImage(kSize, picture->WholeWindow());
    EXPECT_EQ(PixelAt(image, bottom), Table(0));
    EXPECT_EQ(PixelAt(image, top), Table(60));
    picture->display.conductivity = false;
    image = picture->ToImage(kSize, picture->WholeWindow());
    EXPECT_EQ(PixelAt(image, bottom), Table(60));
    EXPECT_EQ(PixelAt(image, top), Table(0));
}

TEST_F(ModelPictureTest, ThePointerDescribesTheCellUnderIt)
{
    EXPECT_EQ(picture->Describe({25, 7}), "x 25, depth 7    column 3 of 4, row 2 of 3: x 20 to 30, depth 5 to 10    "
                                          "conductivity 0.1 S/m, resistivity 10 ohm m");
    EXPECT_EQ(picture->Describe({5, 1}).substr(picture->Describe({5, 1}).size() - 3), "air");
    EXPECT_EQ(picture->Describe({50, 1}), "x 50, depth 1");
}

TEST_F(ModelPictureTest, AChargeabilityModelHasGreyAirAtMinusTen)
{
    WriteBytes(dir.File("model.chg"), "4 3\r\n-10 -10 0 0 \r\n0 0.25 0.5 0.5 \r\n0 0 0 0 \r\n");
    std::string error;
    auto ip = LoadModelPicture(dir.File("mesh.txt"), dir.File("model.chg"), true, error);
    ASSERT_TRUE(ip) << error;
    EXPECT_EQ(ip->CellColour(0, 0), kAirColour);
    EXPECT_EQ(ip->CellColour(2, 0), Table(0));
    EXPECT_EQ(ip->CellColour(1, 1), Table(30));
    EXPECT_EQ(ip->CellColour(3, 1), Table(60));
    EXPECT_EQ(ip->Title(), "Chargeability Model");
    EXPECT_EQ(ip->Describe({15, 7}).substr(ip->Describe({15, 7}).rfind("    ") + 4), "chargeability 0.25");
}

// Three pole-dipole data with n = 1, 2, 1; the first has the highest apparent resistivity.
class DataPictureTest : public ::testing::Test {
protected:
    void Load(const std::string& topo = "")
    {
        WriteBytes(dir.File("obs_dc.dat"), "! A B M N V/I(ohm) rho_a(ohm m)\r\n"
                                           "0 0  10 20  1 1000\r\n"
                                           "0 0  20 30  1 100\r\n"
                                           "10 10  20 30  1 10\r\n");
        std::string error;
        picture = LoadDataPicture(dir.File("obs_dc.dat"), false, topo, error);
        ASSERT_TRUE(picture) << error;
    }

    TempDir dir;
    std::unique_ptr<CDataPicture> picture;
};

TEST_F(DataPictureTest, ADatumIsDrawnAtItsMidpointAndPseudoDepthInTheColourOfItsValue)
{
    Load();
    const QRectF window = picture->WholeWindow();
    QImage image = picture->ToImage(kSize, window);
    CPlotMapping mapping = picture->Mapping(kSize, window);
    // Coloured as log conductivity: the most resistive datum is the first colour, the least the last.
    const double depth = MedianDepth(0, 0, 10, 20);
    EXPECT_EQ(PixelAt(image, mapping.ToPixel({7.5, depth})), Table(0));
    EXPECT_EQ(PixelAt(image, mapping.ToPixel({17.5, depth})), Table(60));
    EXPECT_EQ(PixelAt(image, mapping.ToPixel({12.5, MedianDepth(0, 0, 20, 30)})), Table(30));
    // The cell is one electrode spacing wide, centred on the midpoint.
    EXPECT_EQ(PixelAt(image, mapping.ToPixel({2.5 + 0.2, depth})), Table(0));
    EXPECT_EQ(PixelAt(image, mapping.ToPixel({2.5 - 0.2, depth})), qRgb(255, 255, 255));
    EXPECT_EQ(picture->Title(), "Apparent Resistivity");

    picture->nLevel = true;
    const QRectF levels = picture->WholeWindow();
    EXPECT_EQ(levels, QRectF(QPointF(0, 0.5), QPointF(30, 2.5)));
    image = picture->ToImage(kSize, levels);
    mapping = picture->Mapping(kSize, levels);
    EXPECT_EQ(PixelAt(image, mapping.ToPixel({7.5, 1})), Table(0));
    EXPECT_EQ(PixelAt(image, mapping.ToPixel({12.5, 2})), Table(30));
    EXPECT_EQ(PixelAt(image, mapping.ToPixel({22.5, 2})), qRgb(255, 255, 255));
}

TEST_F(DataPictureTest, TheBarReadsInResistivityAndThePointerNamesTheDatum)
{
    Load();
    const CPlotFrame frame(kSize, false);
    const QImage image = picture->ToImage(kSize, picture->WholeWindow());
    // Low resistivities (pink) at the bottom, as in the main view's resistivity display.
    EXPECT_EQ(PixelAt(image, QPointF(frame.bar.center().x(), frame.bar.bottom() - 2)), Table(60));
    EXPECT_EQ(picture->Describe({7.5, MedianDepth(0, 0, 10, 20)}),
              "A 0  B 0  M 10  N 20    midpoint 7.5, n 1, pseudo-depth 5.19    rho_a 1000 ohm m, V/I 1 ohm");
    EXPECT_EQ(picture->Describe({35, 1}), "x 35, pseudo-depth 1");
}

TEST_F(DataPictureTest, TheSurfaceIsDrawnAboveTheSection)
{
    WriteBytes(dir.File("topo.txt"), "3  0\r\n-100 0\r\n15 10\r\n100 0\r\n");
    Load(dir.File("topo.txt"));
    const CPlotFrame frame(kSize, true);
    ASSERT_FALSE(frame.band.isEmpty());
    EXPECT_LT(frame.band.bottom(), frame.plot.top());
    const QImage image = picture->ToImage(kSize, picture->WholeWindow());
    // Ground at the bottom of the band, open sky at its top.
    const int x = frame.band.left() + frame.band.width() / 4;
    EXPECT_EQ(PixelAt(image, QPointF(x, frame.band.bottom() - 2)), qRgb(222, 205, 170));
    EXPECT_EQ(PixelAt(image, QPointF(x, frame.band.top() + 1)), qRgb(255, 255, 255));
}

TEST(PictureFiles, APictureIsWrittenAsPngOrTheReasonIsGiven)
{
    TempDir dir;
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    ASSERT_EQ(SavePng(image, dir.File("p.png")), "");
    const QImage back(QString::fromStdString(dir.File("p.png")));
    EXPECT_EQ(back.size(), image.size());
    EXPECT_EQ(back.pixel(5, 5) | 0xFF000000, qRgb(10, 20, 30));

    const std::string message = SavePng(image, dir.File("no/such/folder/p.png"));
    EXPECT_EQ(message.rfind("Cannot write the picture:\n" + dir.File("no/such/folder/p.png"), 0), 0u) << message;
    EXPECT_EQ(std::filesystem::directory_iterator(dir.Path())->path().filename(), "p.png");

    // With an application object already there, it is used as it is.
    COffscreenGui gui;
    EXPECT_TRUE(gui.Ready());
}

} // namespace
