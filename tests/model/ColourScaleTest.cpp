// The colour scale without a window: the table, the index of a value, the bar's labels and the
// titles.
#include "model/ColourScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Labels = std::vector<std::string>;

TEST(ColourTable, RunsFromDarkBlueToPinkInTheListedColours)
{
    const int expected[61][3] = {
        {0, 0, 139},    {0, 0, 154},    {0, 0, 167},    {0, 0, 180},    {0, 0, 191},    {0, 0, 202},   {0, 0, 213},
        {0, 0, 223},    {0, 0, 232},    {0, 0, 241},    {0, 0, 255},    {0, 80, 255},   {0, 114, 255}, {0, 139, 255},
        {0, 161, 255},  {0, 180, 255},  {0, 197, 255},  {0, 213, 255},  {0, 228, 255},  {0, 241, 255}, {0, 255, 255},
        {0, 255, 241},  {0, 255, 228},  {0, 255, 213},  {0, 255, 197},  {0, 255, 180},  {0, 255, 161}, {0, 255, 139},
        {0, 255, 114},  {0, 255, 80},   {0, 255, 0},    {80, 255, 0},   {114, 255, 0},  {139, 255, 0}, {161, 255, 0},
        {180, 255, 0},  {197, 255, 0},  {213, 255, 0},  {228, 255, 0},  {241, 255, 0},  {255, 255, 0}, {255, 241, 0},
        {255, 228, 0},  {255, 213, 0},  {255, 197, 0},  {255, 180, 0},  {255, 161, 0},  {255, 139, 0}, {255, 114, 0},
        {255, 80, 0},   {255, 70, 0},   {255, 70, 47},  {255, 70, 67},  {255, 70, 82},  {255, 70, 94}, {255, 70, 106},
        {255, 70, 116}, {255, 70, 125}, {255, 70, 134}, {255, 70, 142}, {255, 70, 150},
    };
    const auto table = BuildColourTable();
    for (int k = 0; k < 61; ++k)
        EXPECT_EQ(table[k], RGB(expected[k][0], expected[k][1], expected[k][2])) << "T[" << k << "]";
}

TEST(ColourIndex, SpreadsTheRangeOverTheTableAndStaysInside)
{
    EXPECT_EQ(ColourIndex(-1, -3, 0), 40);
    EXPECT_EQ(ColourIndex(-2.99, -3, 0), 0); // truncated, not rounded
    EXPECT_EQ(ColourIndex(0, -3, 0), 60);
    // The top of the range takes the truncated product, which can fall just short of 60.
    EXPECT_EQ(ColourIndex(0.5, -5, 0.5), 59);
    EXPECT_EQ(ColourIndex(-7, -3, 0), 0);
    EXPECT_EQ(ColourIndex(5, -3, 0), 60);
    // An empty range: the value itself divides 0 by 0, the others run off to an end.
    EXPECT_EQ(ColourIndex(-3, -3, -3), 0);
    EXPECT_EQ(ColourIndex(-2, -3, -3), 60);
    EXPECT_EQ(ColourIndex(std::nan(""), -3, 0), 0);
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

TEST(AxisTicks, RoundStepsWithTheDecimalsTheyNeed)
{
    auto labels = [](double lo, double hi, int maxTicks) {
        Labels out;
        const auto ticks = NiceTicks(lo, hi, maxTicks);
        const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1;
        for (double v : ticks)
            out.push_back(TickLabel(v, step));
        return out;
    };
    EXPECT_EQ(labels(0, 200, 6), (Labels{"0", "50", "100", "150", "200"}));
    EXPECT_EQ(labels(50, 0, 4), (Labels{"0", "20", "40"})); // reversed
    EXPECT_EQ(labels(-6, 50, 6), (Labels{"0", "10", "20", "30", "40", "50"}));
    EXPECT_EQ(labels(-6, 50, 12), (Labels{"-5", "0", "5", "10", "15", "20", "25", "30", "35", "40", "45", "50"}));
    EXPECT_EQ(labels(0.1, 0.35, 5), (Labels{"0.10", "0.15", "0.20", "0.25", "0.30", "0.35"}));
    EXPECT_EQ(labels(1e-9, 3e-9, 2), (Labels{"1e-09", "2e-09", "3e-09"}));
    EXPECT_EQ(labels(0, 3e9, 3), (Labels{"0", "1e+09", "2e+09", "3e+09"}));
    // Labels as wide as their text, 10 units a character, with a gap of 5 at 1 unit per metre.
    auto width = [](const std::string& text) { return 10.0 * text.size(); };
    EXPECT_EQ(AxisStep(0, 2000, 1, 5, width), 50);
    EXPECT_EQ(AxisStep(0, 2000, 0.1, 5, width), 500);
}

TEST(AxisTicks, BadRangesGiveFewTicksAndNeverHang)
{
    const double nan = std::nan(""), inf = INFINITY;
    const double ranges[][2] = {{0, 0},      {5, 5},           {nan, 1},           {0, inf},
                                {-inf, inf}, {1e300, -1e300},  {1e20, 1e20 + 1e5}, {1e20, 1e20 + 1e4},
                                {0, 1e-300}, {-1e-320, 1e-320}};
    for (const auto& r : ranges)
        for (int maxTicks : {-1, 0, 1, 7, 1000000}) {
            EXPECT_LE(NiceTicks(r[0], r[1], maxTicks).size(), 10000u) << r[0] << " " << r[1];
            EXPECT_GE(AxisStep(r[0], r[1], 1e-3, 10, [](const std::string&) { return 1e300; }), 0);
            EXPECT_LE(ColourBarTicks(r[0], r[1], EModelKind::dc, true, false, 1.0 / (maxTicks + 2)).size(), 10000u);
        }
    EXPECT_EQ(NiceTicks(5, 5, 6), std::vector<double>{5});
    EXPECT_TRUE(TicksOnStep(0, 1e9, 1e-9).empty()); // too many to draw
}

TEST(ModelTitle, NamesTheShownQuantity)
{
    EXPECT_EQ(ModelTitle(EModelKind::dc, true, false), "Conductivity Model");
    EXPECT_EQ(ModelTitle(EModelKind::dc, false, true), "Log Resistivity Model");
    EXPECT_EQ(ModelTitle(EModelKind::ip, true, true), "Chargeability Model");
}

} // namespace
