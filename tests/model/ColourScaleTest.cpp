// The colour scale without a window: the table, the index of a value, the bar's labels, the
// axis labels and the titles.
#include "model/ColourScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Labels = std::vector<std::string>;

Labels BarLabels(double min, double max, bool dc, bool conductivity, bool log10)
{
    Labels labels;
    for (int j = 0; j <= 6; ++j)
        labels.push_back(ColourBarLabel(j, min, max, dc, conductivity, log10));
    return labels;
}

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

TEST(ColourBarLabel, WorkedRangesReadFromBottomToTop)
{
    EXPECT_EQ(BarLabels(-3, 0, true, true, false), (Labels{"0.001", "0.00316", "0.01", "0.0316", "0.1", "0.316", "1"}));
    EXPECT_EQ(BarLabels(-3, 0, true, true, true), (Labels{"-3", "-2.5", "-2", "-1.5", "-1", "-0.5", "0"}));
    EXPECT_EQ(BarLabels(-3, 0, true, false, false), (Labels{"1", "3.16", "10", "31.6", "100", "316", "1e+03"}));
    EXPECT_EQ(BarLabels(-3, -1, true, false, true), (Labels{"1", "1.33", "1.67", "2", "2.33", "2.67", "3"}));
    // Chargeabilities ignore both toggles.
    for (bool conductivity : {true, false})
        for (bool log10 : {true, false})
            EXPECT_EQ(BarLabels(0, 0.6, false, conductivity, log10),
                      (Labels{"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6"}));
    // A model without blocks: one label says it all.
    EXPECT_EQ(ColourBarLabelRows(-2, -2, true, false, false), std::vector<int>{3});
    EXPECT_EQ(ColourBarLabel(3, -2, -2, true, false, false), "100");
    EXPECT_EQ(ColourBarLabelRows(0.25, 0.25 + 1e-9, false, true, false), std::vector<int>{3});
    EXPECT_EQ(ColourBarLabelRows(-3, 0, true, true, false).size(), 7u);
}

TEST(ColourBarLabel, RoundingNoiseInTheMiddleShowsAsZero)
{
    EXPECT_EQ(ColourBarLabel(3, -3.1, 3.1, true, true, true), "0");
    EXPECT_EQ(ColourBarLabel(3, -3.1, 3.1, true, true, false), "1");
    // Small, but not small against the top of the range: kept.
    EXPECT_EQ(ColourBarLabel(3, 0, 1.2e-5, false, true, false), "6e-06");
}

TEST(AxisLabel, TwoDecimalsUpToAStepOf15AndWholeNumbersAbove)
{
    auto labels = [](double width) {
        Labels out;
        const double step = width / 6;
        for (int i = 0; i <= 6; ++i)
            out.push_back(AxisLabel(i * step, step));
        return out;
    };
    EXPECT_EQ(labels(90), (Labels{"0.00", "15.00", "30.00", "45.00", "60.00", "75.00", "90.00"}));
    EXPECT_EQ(labels(91), (Labels{"0", "15", "30", "46", "61", "76", "91"}));
    EXPECT_EQ(AxisLabel(-15.5, 20), "-16"); // halves away from zero
    EXPECT_EQ(AxisLabel(-2.5, 10), "-2.50");
}

TEST(ModelTitle, NamesTheShownQuantity)
{
    EXPECT_EQ(ModelTitle(true, true, false), "Conductivity Model");
    EXPECT_EQ(ModelTitle(true, false, true), "Log Resistivity Model");
    EXPECT_EQ(ModelTitle(false, true, true), "Chargeability Model");
}

} // namespace
