// The colour scale without a window: the table, the index of a value and the titles.
#include "model/ColourScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

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

TEST(ModelTitle, NamesTheShownQuantity)
{
    EXPECT_EQ(ModelTitle(EModelKind::dc, true, false), "Conductivity Model");
    EXPECT_EQ(ModelTitle(EModelKind::dc, false, true), "Log Resistivity Model");
    EXPECT_EQ(ModelTitle(EModelKind::ip, true, true), "Chargeability Model");
}

} // namespace
