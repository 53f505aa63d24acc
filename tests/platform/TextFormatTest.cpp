#include "platform/TextFormat.h"
#include "platform/Numbers.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

// Every case runs under a comma-decimal locale: a number that goes through the user's
// conventions instead of the "C" ones shows up as a failure.
class TextFormatTest : public ::testing::Test {
protected:
    CommaLocale m_locale;
};

TEST_F(TextFormatTest, FormatCWritesAPointWhateverTheLocale)
{
    char plain[32];
    std::snprintf(plain, sizeof plain, "%g", 0.5);
    ASSERT_STREQ(plain, "0,5") << "the comma locale is not in force, so this test proves nothing";

    EXPECT_EQ(FormatC("%g", 0.001), "0.001");
    EXPECT_EQ(FormatC("%g", 1234567.8), "1.23457e+06");
    EXPECT_EQ(FormatC("%g %i", -2.5, 7), "-2.5 7");
    const std::string longText(1000, 'x');
    EXPECT_EQ(FormatC("%s|%g", longText.c_str(), 1.5), longText + "|1.5") << "longer than the first buffer";
}

TEST_F(TextFormatTest, PercentsShowTwoDigitsOrWhatPutsThemAboveTheLimit)
{
    const struct {
        double value, limit;
        const char* text;
    } rows[] = {
        {0.49, 0.5, "0.49"}, {0.5, 0.5, "0.5"}, {0.503, 0.5, "0.503"},  {0.50004, 0.5, "0.50004"}, {2.25, 0.5, "2.2"},
        {9.96, 0.5, "10"},   {100, 0.5, "100"}, {10.004, 10, "10.004"}, {0.0312, 0.03, "0.031"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FormatPercent(row.value, row.limit), row.text) << row.value;
}

TEST_F(TextFormatTest, ParseDoubleCAndParseIntCTakeTheWholeText)
{
    struct Row {
        const char* text;
        bool ok;
        double value; // -99: left unchanged
    };
    const Row doubles[] = {
        {" 1.5 ", true, 1.5}, {"-0.001", true, -0.001}, {"1e3", true, 1000}, {"1.5x", false, -99},
        {"", false, -99},     {"   ", false, -99},      {"1,5", false, -99}, {"nan", false, -99},
        {"inf", false, -99},  {"1e999", false, -99},    {"1 2", false, -99},
    };
    for (const Row& row : doubles) {
        double v = -99;
        EXPECT_EQ(ParseDoubleC(row.text, v), row.ok) << '"' << row.text << '"';
        EXPECT_EQ(v, row.value) << '"' << row.text << '"';
    }
    const Row ints[] = {
        {" 42 ", true, 42},         {"-7", true, -7},     {"010", true, 10},     {"2147483647", true, INT_MAX},
        {"2147483648", false, -99}, {"42.0", false, -99}, {"0x10", false, -99},  {"1,5", false, -99},
        {"", false, -99},           {"4 2", false, -99},  {"12abc", false, -99},
    };
    for (const Row& row : ints) {
        int v = -99;
        EXPECT_EQ(ParseIntC(row.text, v), row.ok) << '"' << row.text << '"';
        EXPECT_EQ(v, row.value) << '"' << row.text << '"';
    }
}

TEST(RoundToIntTest, RoundsHalvesAwayFromZeroAndSaturates)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int> rows[] = {
        {0.5, 1},
        {-0.5, -1},
        {2.5, 3},
        {-2.5, -3},
        {-0.4, 0},
        {1.49, 1},
        {2147483646.4, 2147483646},
        {2147483646.5, INT_MAX},
        {-2147483647.6, INT_MIN},
        {-2147483648.0, INT_MIN},
        {1e10, INT_MAX},
        {-1e10, INT_MIN},
        {inf, INT_MAX},
        {-inf, INT_MIN},
        {std::nan(""), 0},
    };
    for (const auto& [x, expected] : rows)
        EXPECT_EQ(RoundToInt(x), expected) << "RoundToInt(" << x << ")";
}

} // namespace
