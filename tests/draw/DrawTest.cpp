// The tick and label rules of the drawing library, measured on a canvas that draws nothing: round
// values with the decimals they need, units, and labels that never touch.
#include "draw/Axes.h"
#include "draw/Canvas.h"
#include "draw/ColourBar.h"
#include "platform/TextFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Labels = std::vector<std::string>;

// A font of size 10 whose characters are 6 wide and whose lines are 12 high; keeps the texts.
struct CMeasure : CCanvas {
    CMeasure() : CCanvas(10, 12, 1) {}
    double TextWidth(const std::string& text) const override { return 6.0 * text.size(); }
    void Line(QPointF, QPointF) override {}
    void Fill(const QRectF&, COLORREF) override {}
    void Text(QPointF, unsigned, const std::string& text, bool) override { texts.push_back(text); }
    Labels texts;
};

Labels AxisLabels(const CAxis& axis, double length, bool across)
{
    Labels labels;
    for (const CAxisTick& tick : AxisTicks(CMeasure(), axis, 0, length, across))
        labels.push_back(tick.label);
    return labels;
}

TEST(AxisTicks, RoundStepsWithTheDecimalsTheyNeed)
{
    EXPECT_EQ(AxisLabels({0, 200}, 100, true), (Labels{"0", "100", "200"}));
    EXPECT_EQ(AxisLabels({0.1, 0.35}, 100, true), (Labels{"0.1", "0.2", "0.3"}));
    EXPECT_EQ(AxisLabels({0, 3e9}, 200, true), (Labels{"0", "1e+09", "2e+09", "3e+09"}));
    EXPECT_EQ(AxisLabels({1e-9, 3e-9}, 100, true), (Labels{"1e-09", "2e-09", "3e-09"}));
    // Elevations upward: the highest at the top.
    EXPECT_EQ(AxisLabels({12, 2}, 120, false), (Labels{"2", "4", "6", "8", "10", "12"}));
    // Levels are whole numbers from 1, however much room there is.
    EXPECT_EQ(AxisLabels({0.5, 2.5}, 100, false), (Labels{"0.5", "1.0", "1.5", "2.0", "2.5"}));
    EXPECT_EQ(AxisLabels({0.5, 2.5, "", true}, 100, false), (Labels{"1", "2"}));
}

TEST(AxisTicks, LabelsStandOnRoundValuesWithoutTouching)
{
    const CMeasure canvas;
    const double ranges[][2] = {{0, 2000},      {-12.5, 480}, {250, 0},    {0.001, 0.0042},
                                {1e6, 1e6 + 7}, {-3e4, -2e4}, {1e-9, 3e-9}};
    for (const auto& r : ranges)
        for (double length : {35.0, 90.0, 400.0, 2500.0})
            for (bool across : {true, false}) {
                const auto ticks = AxisTicks(canvas, {r[0], r[1]}, 0, length, across);
                const std::string where = std::to_string(r[0]) + ".." + std::to_string(r[1]) + " in " +
                                          std::to_string(length) + (across ? " across" : " down");
                auto value = [](const CAxisTick& t) {
                    double v = NAN;
                    EXPECT_TRUE(ParseDoubleC(t.label, v)) << t.label;
                    return v;
                };
                for (size_t i = 1; i < ticks.size(); ++i) {
                    const double step = std::fabs(value(ticks[1]) - value(ticks[0]));
                    const double mantissa = step / std::pow(10, std::floor(std::log10(step) + 1e-9));
                    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                                std::fabs(mantissa - 5) < 1e-6)
                        << where << ": step " << step;
                    const double k = value(ticks[i]) / step;
                    EXPECT_NEAR(k, std::round(k), 1e-9 * std::fabs(k) + 1e-6) << where;
                    const double room =
                        across ? (canvas.TextWidth(ticks[i - 1].label) + canvas.TextWidth(ticks[i].label)) / 2 + 10
                               : canvas.LineHeight() + 5;
                    EXPECT_GE(std::fabs(ticks[i].at - ticks[i - 1].at), room - 1e-9)
                        << where << ": " << ticks[i - 1].label << " and " << ticks[i].label;
                }
            }
}

TEST(AxisTicks, BadRangesGiveFewTicksAndNeverHang)
{
    const double nan = std::nan(""), inf = INFINITY;
    const double ranges[][2] = {{0, 0},      {5, 5},           {nan, 1},           {0, inf},
                                {-inf, inf}, {1e300, -1e300},  {1e20, 1e20 + 1e5}, {1e20, 1e20 + 1e4},
                                {0, 1e-300}, {-1e-320, 1e-320}};
    for (const auto& r : ranges)
        for (double length : {-1.0, 0.0, 1e-3, 7.0, 1e9}) {
            EXPECT_LE(AxisTicks(CMeasure(), {r[0], r[1]}, 0, length, true).size(), 10000u) << r[0] << " " << r[1];
            EXPECT_LE(ColourBarTicks(r[0], r[1], EModelKind::dc, true, false, 1.0 / (length + 2)).size(), 10000u);
        }
    EXPECT_TRUE(TicksOnStep(0, 1e9, 1e-9).empty()); // too many to draw
}

TEST(AxisTicks, TheExaggerationIsNamedUnlessItRoundsToOne)
{
    EXPECT_EQ(ExaggerationLabel(1.001), "");
    EXPECT_EQ(ExaggerationLabel(5), "VE 5");
    EXPECT_EQ(ExaggerationLabel(2.5), "VE 2.5");
    EXPECT_EQ(ExaggerationLabel(12.345), "VE 12.3");
}

Labels BarLabels(double min, double max, EModelKind kind, bool conductivity, bool log10, double gap = 0.05)
{
    Labels labels;
    for (const CBarTick& t : ColourBarTicks(min, max, kind, conductivity, log10, gap))
        labels.push_back(t.label);
    return labels;
}

TEST(ColourBarTicks, LabelRoundValuesOfWhatTheTogglesShow)
{
    // log10 conductivity -3 to 0: decades with 2 and 5 between, upward; resistivities turn over.
    EXPECT_EQ(BarLabels(-3, 0, EModelKind::dc, true, false),
              (Labels{"0.001", "0.002", "0.005", "0.01", "0.02", "0.05", "0.1", "0.2", "0.5", "1"}));
    EXPECT_EQ(BarLabels(-3, 0, EModelKind::dc, false, false),
              (Labels{"1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"}));
    EXPECT_EQ(BarLabels(-3, -1, EModelKind::dc, false, true, 0.2), (Labels{"1.0", "1.5", "2.0", "2.5", "3.0"}));
    // Chargeabilities ignore both toggles.
    EXPECT_EQ(BarLabels(0, 0.6, EModelKind::ip, false, true, 0.15),
              (Labels{"0.0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6"}));
    // Within a decade: round values, not the ends of the range.
    EXPECT_EQ(BarLabels(std::log10(0.0464), std::log10(0.0999), EModelKind::dc, true, false, 0.1),
              (Labels{"0.05", "0.06", "0.07", "0.08", "0.09"}));
    // A model without blocks: one label in the middle says it all.
    const auto one = ColourBarTicks(-2, -2, EModelKind::dc, false, false, 0.1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].label, "100");
    EXPECT_DOUBLE_EQ(one[0].at, 0.5);
}

TEST(ColourBarTicks, NeighboursKeepTheGapAndStayOnTheBar)
{
    struct Case {
        double min, max;
        EModelKind kind;
        bool conductivity, log10;
    };
    const Case cases[] = {{-3, 0, EModelKind::dc, true, false},      {-4, 4, EModelKind::dc, false, false},
                          {-1.2, -0.9, EModelKind::dc, true, false}, {-6, 50, EModelKind::ip, true, false},
                          {0, 1e-7, EModelKind::ip, true, false},    {-3.1, 3.1, EModelKind::dc, true, true},
                          {-300, 300, EModelKind::dc, true, false},  {0, 1e9, EModelKind::ip, true, false}};
    for (const Case& c : cases)
        for (double gap : {0.02, 0.07, 0.15, 0.4, 1.0}) {
            const auto ticks = ColourBarTicks(c.min, c.max, c.kind, c.conductivity, c.log10, gap);
            const std::string where =
                std::to_string(c.min) + ".." + std::to_string(c.max) + " gap " + std::to_string(gap);
            EXPECT_FALSE(ticks.empty()) << where;
            for (size_t i = 0; i < ticks.size(); ++i) {
                EXPECT_TRUE(ticks[i].at >= 0 && ticks[i].at <= 1) << where;
                if (i > 0) {
                    EXPECT_GE(ticks[i].at - ticks[i - 1].at, gap - 1e-9) << where << ": " << ticks[i].label;
                }
            }
        }
}

TEST(ColourBar, ALowPlotsBarKeepsRoomForItsLabelsUnderItsUnit)
{
    // Ten font sizes at least, as far down as the picture lets it.
    EXPECT_EQ(BarBeside(QRectF(100, 50, 400, 20), 10, 1000), QRectF(530, 50, 10, 100));
    EXPECT_EQ(BarBeside(QRectF(100, 50, 400, 20), 10, 120).height(), 70);
    EXPECT_EQ(BarBeside(QRectF(100, 50, 400, 300), 10, 120).height(), 300);
    const auto table = std::array<COLORREF, 61>{};
    for (const auto& [display, unit] : {std::pair{CColourDisplay{EModelKind::dc, true, false}, "S/m"},
                                        {CColourDisplay{EModelKind::dc, false, true}, "log10 ohm m"},
                                        {CColourDisplay{EModelKind::ip, true, false}, ""}}) {
        CMeasure canvas;
        DrawColourBar(canvas, QRectF(0, 0, 10, 100), table, -3, -1, display);
        ASSERT_GE(canvas.texts.size(), 3u) << unit;
        EXPECT_EQ(canvas.texts[0], unit);
    }
}

} // namespace
